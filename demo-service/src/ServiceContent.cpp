#include "ServiceContent.h"

namespace qelvo::demo {

namespace {

template <typename Item>
std::map<std::string, std::size_t> indexById(const std::vector<Item>& items) {
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < items.size(); ++i)
        index.emplace(items[i].id, i);
    return index;
}

template <typename Item>
const Item* lookUp(const std::map<std::string, std::size_t>& index, const std::vector<Item>& items,
                   const std::string& id) {
    const auto found = index.find(id);
    return found == index.end() ? nullptr : &items[found->second];
}

}  // namespace

void ServiceContent::index() {
    courseIndex_ = indexById(courses);
    categoryIndex_ = indexById(categories);
    channelIndex_ = indexById(channels);
    articleIndex_ = indexById(articles);
    advertIndex_ = indexById(adverts);
}

const Course* ServiceContent::course(const std::string& id) const {
    return lookUp(courseIndex_, courses, id);
}

const CourseCategory* ServiceContent::category(const std::string& id) const {
    return lookUp(categoryIndex_, categories, id);
}

const NewsChannel* ServiceContent::channel(const std::string& id) const {
    return lookUp(channelIndex_, channels, id);
}

const NewsArticle* ServiceContent::article(const std::string& id) const {
    return lookUp(articleIndex_, articles, id);
}

const Advert* ServiceContent::advert(const std::string& id) const {
    return lookUp(advertIndex_, adverts, id);
}

const Account* ServiceContent::accountByName(const std::string& userName) const {
    for (const auto& account : accounts) {
        if (account.userName == userName) return &account;
    }
    return nullptr;
}

const Account* ServiceContent::accountById(const std::string& userId) const {
    for (const auto& account : accounts) {
        if (account.userId == userId) return &account;
    }
    return nullptr;
}

std::vector<const Course*> ServiceContent::coursesOf(const CourseCategory& category) const {
    std::vector<const Course*> found;
    for (const auto& id : category.courseIds) {
        if (const auto* item = course(id)) found.push_back(item);
    }
    return found;
}

std::vector<const NewsArticle*> ServiceContent::articlesOf(const NewsChannel& channel) const {
    std::vector<const NewsArticle*> found;
    for (const auto& id : channel.articleIds) {
        if (const auto* item = article(id)) found.push_back(item);
    }
    return found;
}

}  // namespace qelvo::demo
