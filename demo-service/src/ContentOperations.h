#pragma once

#include "FormBody.h"
#include "ServiceContent.h"
#include "SiteAddress.h"

#include <nlohmann/json.hpp>

namespace qelvo::demo {

// The operations that publish content: home page ("mode=2"), course categories
// ("mode=3") and their courses ("mode=5"), news channels and articles ("mode=4"),
// suggested search keys ("mode=6") and the course search ("mode=7").
class ContentOperations {
public:
    explicit ContentOperations(const ServiceContent& content);

    nlohmann::json home(const SiteAddress& site) const;
    nlohmann::json categories(const FormBody& form, const SiteAddress& site) const;
    nlohmann::json coursesOfCategory(const FormBody& form, const SiteAddress& site) const;
    nlohmann::json news(const FormBody& form, const SiteAddress& site) const;
    nlohmann::json suggestedKeys(const SiteAddress& site) const;
    nlohmann::json search(const FormBody& form, const SiteAddress& site) const;

    static nlohmann::json failure(const std::string& message);

private:
    const ServiceContent& content_;
};

}  // namespace qelvo::demo
