#pragma once

#include "ContentTypes.h"

#include <map>
#include <string>
#include <vector>

namespace qelvo::demo {

// Everything the service publishes: catalogue, news, home page, suggested keys and
// accounts. Read-only once loaded, so every connection thread may share it.
class ServiceContent {
public:
    std::vector<CourseCategory> categories;
    std::vector<Course> courses;
    std::vector<NewsChannel> channels;
    std::vector<NewsArticle> articles;
    std::vector<Advert> adverts;
    std::vector<HomeSection> sections;
    std::vector<SuggestedKey> suggestedKeys;
    std::vector<Account> accounts;

    // Builds the look-up tables; call once after filling the lists.
    void index();

    const Course* course(const std::string& id) const;
    const CourseCategory* category(const std::string& id) const;
    const NewsChannel* channel(const std::string& id) const;
    const NewsArticle* article(const std::string& id) const;
    const Advert* advert(const std::string& id) const;
    const Account* accountByName(const std::string& userName) const;
    const Account* accountById(const std::string& userId) const;

    std::vector<const Course*> coursesOf(const CourseCategory& category) const;
    std::vector<const NewsArticle*> articlesOf(const NewsChannel& channel) const;

private:
    std::map<std::string, std::size_t> courseIndex_;
    std::map<std::string, std::size_t> categoryIndex_;
    std::map<std::string, std::size_t> channelIndex_;
    std::map<std::string, std::size_t> articleIndex_;
    std::map<std::string, std::size_t> advertIndex_;
};

}  // namespace qelvo::demo
