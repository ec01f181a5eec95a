#pragma once

#include "FeedbackStore.h"
#include "FormBody.h"
#include "ServiceContent.h"
#include "UsageCounter.h"

#include <nlohmann/json.hpp>

namespace qelvo::demo {

// The operations about users: the usage report ("mode=1"), login ("mode=8") and
// feedback ("mode=kym8.7").
class UserOperations {
public:
    static constexpr std::size_t kMaxFeedbackLength = 500;  // characters

    UserOperations(const ServiceContent& content, UsageCounter& usage, FeedbackStore& feedback);

    nlohmann::json usageReport();
    nlohmann::json login(const FormBody& form) const;
    nlohmann::json feedback(const std::string& userId, const std::string& content, const std::string& from);

private:
    const ServiceContent& content_;
    UsageCounter& usage_;
    FeedbackStore& feedback_;
};

}  // namespace qelvo::demo
