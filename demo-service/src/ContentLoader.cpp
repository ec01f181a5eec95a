#include "ContentLoader.h"

#include <nlohmann/json.hpp>

#include <fmt/format.h>

#include <fstream>
#include <set>
#include <sstream>

namespace qelvo::demo {

namespace {

using nlohmann::json;

std::optional<json> readJson(const std::filesystem::path& file, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = fmt::format("cannot read {}", file.string());
        return std::nullopt;
    }
    std::stringstream text;
    text << in.rdbuf();
    auto parsed = json::parse(text.str(), nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        error = fmt::format("{} is not a JSON object", file.string());
        return std::nullopt;
    }
    return parsed;
}

// Identifiers may be written as numbers or strings in the files; the service always sends strings.
std::string text(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) return {};
    if (found->is_string()) return found->get<std::string>();
    if (found->is_number_integer()) return std::to_string(found->get<long long>());
    return {};
}

std::vector<std::string> paragraphs(const json& object, const char* key) {
    std::vector<std::string> out;
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array()) return out;
    for (const auto& item : *found) {
        if (item.is_string()) out.push_back(item.get<std::string>());
    }
    return out;
}

const json& arrayOf(const json& object, const char* key) {
    static const json empty = json::array();
    const auto found = object.find(key);
    return found != object.end() && found->is_array() ? *found : empty;
}

class Reader {
public:
    explicit Reader(std::string& error) : error_(error) {}

    bool fail(const std::string& message) {
        if (error_.empty()) error_ = message;
        return false;
    }

    bool unique(std::set<std::string>& seen, const std::string& id, const char* what) {
        if (id.empty()) return fail(fmt::format("a {} has no id", what));
        if (!seen.insert(id).second) return fail(fmt::format("{} id {} is used twice", what, id));
        return true;
    }

    bool courses(const json& file, ServiceContent& content) {
        std::set<std::string> seen;
        for (const auto& entry : arrayOf(file, "categories")) {
            CourseCategory category{text(entry, "id"), text(entry, "title"), text(entry, "info"), {}};
            if (!unique(seen, category.id, "course category") || category.title.empty())
                return fail(fmt::format("courses.json: category {} needs an id and a title", category.id));
            const auto teacher = text(entry, "teacher");
            const auto video = text(entry, "video");
            for (const auto& item : arrayOf(entry, "courses")) {
                Course course{text(item, "id"),   category.id,           text(item, "title"),
                              text(item, "info"), text(item, "teacher"), text(item, "duration"),
                              text(item, "video")};
                if (!unique(seen, course.id, "course") || course.title.empty())
                    return fail(fmt::format("courses.json: course {} needs an id and a title", course.id));
                if (course.teacher.empty()) course.teacher = teacher;
                if (course.video.empty()) course.video = video;
                if (course.video.empty())
                    return fail(fmt::format("courses.json: course {} has no video", course.id));
                category.courseIds.push_back(course.id);
                content.courses.push_back(std::move(course));
            }
            content.categories.push_back(std::move(category));
        }
        return content.categories.empty() ? fail("courses.json: no categories") : true;
    }

    bool news(const json& file, ServiceContent& content) {
        std::set<std::string> seen;
        for (const auto& entry : arrayOf(file, "channels")) {
            NewsChannel channel{text(entry, "id"), text(entry, "title"), text(entry, "closing"), {}, {}};
            if (!unique(seen, channel.id, "news channel") || channel.title.empty())
                return fail(fmt::format("news.json: channel {} needs an id and a title", channel.id));
            const auto source = text(entry, "source");
            for (const auto& item : arrayOf(entry, "articles")) {
                NewsArticle article{text(item, "id"),        channel.id,         text(item, "title"),
                                    text(item, "info"),      text(item, "date"), text(item, "source"),
                                    paragraphs(item, "body")};
                if (!unique(seen, article.id, "article") || article.title.empty())
                    return fail(fmt::format("news.json: article {} needs an id and a title", article.id));
                if (article.source.empty()) article.source = source;
                channel.articleIds.push_back(article.id);
                content.articles.push_back(std::move(article));
            }
            for (const auto& item : arrayOf(entry, "head"))
                channel.head.push_back({text(item, "articleId"), text(item, "image")});
            content.channels.push_back(std::move(channel));
        }
        return content.channels.empty() ? fail("news.json: no channels") : true;
    }

    bool home(const json& file, ServiceContent& content) {
        for (const auto& item : arrayOf(file, "ads")) {
            content.adverts.push_back({text(item, "id"), text(item, "title"), text(item, "detailTitle"),
                                       text(item, "image"), text(item, "info"), paragraphs(item, "body")});
            if (content.adverts.back().id.empty() || content.adverts.back().image.empty())
                return fail("home.json: every advertisement needs an id and an image");
        }
        for (const auto& item : arrayOf(file, "sections")) {
            const auto found = item.find("shown");
            const long long shown =
                found != item.end() && found->is_number_integer() ? found->get<long long>() : 0;
            content.sections.push_back(
                {text(item, "categoryId"), shown > 0 ? static_cast<std::size_t>(shown) : 0});
        }
        return true;
    }

    bool search(const json& file, ServiceContent& content) {
        for (const auto& item : arrayOf(file, "keys"))
            content.suggestedKeys.push_back({text(item, "title"), text(item, "type"), text(item, "id")});
        return true;
    }

    bool accounts(const json& file, ServiceContent& content) {
        for (const auto& item : arrayOf(file, "accounts")) {
            content.accounts.push_back({text(item, "userName"), text(item, "password"), text(item, "userId"),
                                        text(item, "nickName"), text(item, "status") == "locked"});
        }
        return true;
    }

    // Every id that one file takes from another must exist.
    bool references(const ServiceContent& content) {
        for (const auto& channel : content.channels) {
            for (const auto& head : channel.head) {
                if (!content.article(head.articleId))
                    return fail(fmt::format("news.json: headline of channel {} names unknown article {}",
                                            channel.id, head.articleId));
            }
        }
        for (const auto& section : content.sections) {
            if (!content.category(section.categoryId))
                return fail(fmt::format("home.json: section names unknown category {}", section.categoryId));
        }
        for (const auto& key : content.suggestedKeys) {
            const bool known = key.type == "1" ? content.category(key.targetId) != nullptr
                                               : content.course(key.targetId) != nullptr;
            if (!known)
                return fail(
                    fmt::format("search.json: key \"{}\" names unknown id {}", key.title, key.targetId));
        }
        return true;
    }

private:
    std::string& error_;
};

}  // namespace

std::optional<ServiceContent> ContentLoader::load(const std::filesystem::path& dataDir, std::string& error) {
    error.clear();
    const auto folder = dataDir / "content";
    ServiceContent content;
    Reader reader(error);
    struct Step {
        const char* file;
        bool (Reader::*read)(const json&, ServiceContent&);
    };
    const Step steps[] = {{"courses.json", &Reader::courses},
                          {"news.json", &Reader::news},
                          {"home.json", &Reader::home},
                          {"search.json", &Reader::search},
                          {"accounts.json", &Reader::accounts}};
    for (const auto& step : steps) {
        const auto file = readJson(folder / step.file, error);
        if (!file || !(reader.*step.read)(*file, content)) return std::nullopt;
    }
    content.index();
    if (!reader.references(content)) return std::nullopt;
    return content;
}

}  // namespace qelvo::demo
