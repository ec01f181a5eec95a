#pragma once

#include "screens/BaseViewCon.h"

#include <string>

// The tab root for the course search: a title bar without a back arrow.
class SearchViewCon : public BaseViewCon {
public:
    explicit SearchViewCon(std::string nibName = "SearchViewCon");
    std::string className() const override { return "SearchViewCon"; }

    void viewDidLoad() override;
};
