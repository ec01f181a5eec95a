#pragma once

#include "screens/BaseViewCon.h"

#include <string>

// The tab root for the course catalogue: a title bar without a back arrow.
class CourseViewCon : public BaseViewCon {
public:
    explicit CourseViewCon(std::string nibName = "CourseViewCon");
    std::string className() const override { return "CourseViewCon"; }

    void viewDidLoad() override;
};
