#pragma once

#include "ServiceContent.h"
#include "SiteAddress.h"

#include <httplib.h>

namespace qelvo::demo {

// The page of a news article or of a home-page advertisement, requested as
// "<url>?docId=<id>&from=iOS".
class ArticlePage {
public:
    explicit ArticlePage(const ServiceContent& content);

    void handle(const httplib::Request& request, httplib::Response& response, const SiteAddress& site) const;

private:
    std::string article(const NewsArticle& article, const SiteAddress& site) const;
    std::string advert(const Advert& advert, const SiteAddress& site) const;
    std::string related(const NewsArticle& article) const;

    const ServiceContent& content_;
};

}  // namespace qelvo::demo
