#pragma once

#include "ServiceContent.h"
#include "SiteAddress.h"

#include <nlohmann/json.hpp>

namespace qelvo::demo {

// The dictionaries that replies carry, with absolute addresses for this request's host.
class ItemJson {
public:
    ItemJson(const ServiceContent& content, const SiteAddress& site);

    nlohmann::json course(const Course& course) const;
    nlohmann::json category(const CourseCategory& category) const;
    nlohmann::json article(const NewsArticle& article) const;
    nlohmann::json headline(const Headline& head) const;
    nlohmann::json channel(const NewsChannel& channel) const;
    nlohmann::json advert(const Advert& advert) const;
    nlohmann::json section(const HomeSection& section) const;
    nlohmann::json suggestedKey(const SuggestedKey& key) const;

private:
    const ServiceContent& content_;
    const SiteAddress& site_;
};

}  // namespace qelvo::demo
