#include "ItemJson.h"

#include "ServicePaths.h"

#include <algorithm>

namespace qelvo::demo {

using nlohmann::json;

ItemJson::ItemJson(const ServiceContent& content, const SiteAddress& site) : content_(content), site_(site) {}

json ItemJson::course(const Course& course) const {
    const auto* category = content_.category(course.categoryId);
    return {
        {"id", course.id},
        {"title", course.title},
        {"image", site_.picture("course/" + course.id + ".jpg")},
        {"info", course.info},
        {"url", site_.url(paths::kCoursePage)},
        {"detailTitle", category ? category->title : std::string("课程详情")},
        {"teacher", course.teacher},
        {"duration", course.duration},
        {"categoryId", course.categoryId},
    };
}

json ItemJson::category(const CourseCategory& category) const {
    return {
        {"id", category.id},
        {"title", category.title},
        {"image", site_.picture("category/" + category.id + ".png")},
        {"info", category.info},
        {"courseCount", std::to_string(category.courseIds.size())},
    };
}

json ItemJson::article(const NewsArticle& article) const {
    const auto* channel = content_.channel(article.channelId);
    return {
        {"id", article.id},
        {"title", article.title},
        {"info", article.info},
        {"url", site_.url(paths::kArticlePage)},
        {"detailTitle", channel ? channel->title : std::string("资讯详情")},
        {"time", article.date},
        {"source", article.source},
    };
}

json ItemJson::headline(const Headline& head) const {
    const auto* item = content_.article(head.articleId);
    if (!item) return json::object();
    auto entry = article(*item);
    entry["image"] = site_.picture(head.image);
    return entry;
}

json ItemJson::channel(const NewsChannel& channel) const {
    return {{"id", channel.id}, {"title", channel.title}};
}

json ItemJson::advert(const Advert& advert) const {
    return {
        {"id", advert.id},
        {"title", advert.title},
        {"image", site_.picture(advert.image)},
        {"url", site_.url(paths::kArticlePage)},
        {"detailTitle", advert.detailTitle},
    };
}

json ItemJson::section(const HomeSection& section) const {
    const auto* category = content_.category(section.categoryId);
    if (!category) return json::object();
    const auto courses = content_.coursesOf(*category);
    const auto shown = std::min(section.shown == 0 ? courses.size() : section.shown, courses.size());
    json subList = json::array();
    for (std::size_t i = 0; i < shown; ++i)
        subList.push_back(course(*courses[i]));
    return {
        {"id", category->id},
        {"title", category->title},
        {"hasMore", courses.size() > shown ? "true" : "false"},
        {"subList", std::move(subList)},
    };
}

json ItemJson::suggestedKey(const SuggestedKey& key) const {
    if (key.type == "1") {
        const auto* category = content_.category(key.targetId);
        return {
            {"title", key.title.empty() && category ? category->title : key.title},
            {"type", "1"},
            {"id", key.targetId},
        };
    }
    const auto* item = content_.course(key.targetId);
    if (!item) return json::object();
    auto entry = course(*item);
    entry["type"] = key.type;
    return entry;
}

}  // namespace qelvo::demo
