#pragma once

#include "ServiceContent.h"
#include "SiteAddress.h"

#include <httplib.h>

namespace qelvo::demo {

// The service's front page for a person with a browser: links to every operation,
// page, picture and video kind the service offers.
class IndexPage {
public:
    explicit IndexPage(const ServiceContent& content);

    void handle(httplib::Response& response, const SiteAddress& site) const;

private:
    const ServiceContent& content_;
};

}  // namespace qelvo::demo
