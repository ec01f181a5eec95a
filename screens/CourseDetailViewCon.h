#pragma once

#include "platform/foundation/Json.h"
#include "screens/BaseViewCon.h"

#include <string>

// One course: its page of the service in a web view, the favourite button and the
// page's login and video links.
class CourseDetailViewCon : public BaseViewCon {
public:
    explicit CourseDetailViewCon(std::string nibName = "CourseDetailViewCon");
    std::string className() const override { return "CourseDetailViewCon"; }

    // The course exactly as the opener holds it; set before the screen is shown.
    const platform::Value& detailData() const { return _detailData; }
    void setDetailData(platform::Value detailData) { _detailData = std::move(detailData); }

    void viewDidLoad() override;
    void back(platform::Control* sender) override;

private:
    platform::Value _detailData = platform::Value::object();
};
