#pragma once

#include "ServiceContent.h"
#include "SiteAddress.h"

#include <httplib.h>

namespace qelvo::demo {

// The course page the detail screen shows, requested as
// "<url>?userId=<id>&docId=<course id>&from=iOS" (userId only when logged in). It shows
// who is logged in, a link to "doLogin" that the app turns into its login screen, and
// a "video:<address>*<file id>" link that the app turns into a download.
class CoursePage {
public:
    explicit CoursePage(const ServiceContent& content);

    void handle(const httplib::Request& request, httplib::Response& response, const SiteAddress& site) const;

    // "video:http://host/videos/tax-101.mp4*101"
    static std::string videoLink(const Course& course, const SiteAddress& site);

private:
    std::string userPanel(const std::string& userId) const;
    std::string relatedCourses(const Course& course) const;

    const ServiceContent& content_;
};

}  // namespace qelvo::demo
