#pragma once

#include "ServiceContent.h"
#include "UserOperations.h"

#include <httplib.h>

namespace qelvo::demo {

// The service's own pages opened from the student centre: feedback
// ("yijian.aspx", optionally with "?userId="), about us ("GuanYuWoMen.aspx") and
// contact us ("LianXiWoMen.aspx"). The feedback page's form stores what it receives.
class ServicePages {
public:
    ServicePages(const ServiceContent& content, UserOperations& users);

    void feedback(const httplib::Request& request, httplib::Response& response);
    void about(httplib::Response& response) const;
    void contact(httplib::Response& response) const;

private:
    std::string feedbackForm(const std::string& userId, const std::string& notice) const;

    const ServiceContent& content_;
    UserOperations& users_;
};

}  // namespace qelvo::demo
