#include "ContentOperations.h"

#include "CourseSearch.h"
#include "ItemJson.h"
#include "Pager.h"

namespace qelvo::demo {

using nlohmann::json;

ContentOperations::ContentOperations(const ServiceContent& content) : content_(content) {}

json ContentOperations::failure(const std::string& message) {
    return {{"result", "1"}, {"message", message}};
}

json ContentOperations::home(const SiteAddress& site) const {
    const ItemJson items(content_, site);
    auto adList = json::array();
    for (const auto& advert : content_.adverts)
        adList.push_back(items.advert(advert));
    auto dataList = json::array();
    for (const auto& section : content_.sections)
        dataList.push_back(items.section(section));
    return {
        {"result", "0"}, {"message", ""}, {"adList", std::move(adList)}, {"dataList", std::move(dataList)}};
}

json ContentOperations::categories(const FormBody& form, const SiteAddress& site) const {
    const ItemJson items(content_, site);
    std::vector<json> list;
    for (const auto& category : content_.categories)
        list.push_back(items.category(category));
    return Pager(form).reply(list);
}

json ContentOperations::coursesOfCategory(const FormBody& form, const SiteAddress& site) const {
    const auto* category = content_.category(form.valueOr("id"));
    if (!category) return failure("该课程分类不存在");
    const ItemJson items(content_, site);
    std::vector<json> list;
    for (const auto* course : content_.coursesOf(*category))
        list.push_back(items.course(*course));
    auto reply = Pager(form).reply(list);
    reply["id"] = category->id;
    reply["title"] = category->title;
    return reply;
}

json ContentOperations::news(const FormBody& form, const SiteAddress& site) const {
    const ItemJson items(content_, site);
    const auto channelId = form.valueOr("categoryId");
    if (channelId.empty()) {
        // The channel list: always one page, under "category".
        auto channels = json::array();
        for (const auto& channel : content_.channels)
            channels.push_back(items.channel(channel));
        return {{"result", "0"},
                {"message", ""},
                {"nowPage", "1"},
                {"hasNext", "false"},
                {"category", std::move(channels)}};
    }
    const auto* channel = content_.channel(channelId);
    if (!channel) return failure("该资讯栏目不存在");
    std::vector<json> list;
    for (const auto* article : content_.articlesOf(*channel))
        list.push_back(items.article(*article));
    const Pager pager(form);
    auto reply = pager.reply(list);
    reply["categoryId"] = channel->id;
    // Headline pictures come with the first page only, so a later page keeps the strip shown.
    if (pager.nowPage() == 1) {
        auto head = json::array();
        for (const auto& headline : channel->head)
            head.push_back(items.headline(headline));
        reply["head"] = std::move(head);
    }
    return reply;
}

json ContentOperations::suggestedKeys(const SiteAddress& site) const {
    const ItemJson items(content_, site);
    auto dataList = json::array();
    for (const auto& key : content_.suggestedKeys)
        dataList.push_back(items.suggestedKey(key));
    return {{"result", "0"}, {"message", ""}, {"dataList", std::move(dataList)}};
}

json ContentOperations::search(const FormBody& form, const SiteAddress& site) const {
    const CourseSearch finder(content_);
    const auto key = form.valueOr("searchKey");
    const auto searchId = form.valueOr("searchId");
    const auto found = searchId.empty() ? finder.find(key) : finder.findInCategory(key, searchId);
    const ItemJson items(content_, site);
    std::vector<json> list;
    for (const auto* course : found)
        list.push_back(items.course(*course));
    auto reply = Pager(form).reply(list);
    reply["searchKey"] = key;
    return reply;
}

}  // namespace qelvo::demo
