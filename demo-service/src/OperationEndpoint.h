#pragma once

#include "ContentOperations.h"
#include "OperationBehaviours.h"
#include "UserOperations.h"

#include <httplib.h>

#include <stop_token>

namespace qelvo::demo {

// The service endpoint "/wcm/qelvo/app/index.aspx": reads the form body (or, for a
// browser, the query), answers the operation named by its mode with one JSON object,
// and misbehaves instead when a test asked for it through the control endpoint.
class OperationEndpoint {
public:
    OperationEndpoint(ContentOperations& content, UserOperations& users, OperationBehaviours& behaviours);

    void handle(const httplib::Request& request, httplib::Response& response, const SiteAddress& site,
                std::stop_token stop);

    // The regular reply to a form, with its side effects (usage count, stored feedback).
    nlohmann::json answer(const FormBody& form, const SiteAddress& site);

    static std::string toText(const nlohmann::json& reply);

private:
    ContentOperations& content_;
    UserOperations& users_;
    OperationBehaviours& behaviours_;
};

}  // namespace qelvo::demo
