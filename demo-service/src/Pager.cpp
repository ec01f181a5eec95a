#include "Pager.h"

#include <algorithm>
#include <charconv>

namespace qelvo::demo {

Pager::Pager(const FormBody& form)
    : Pager(parsePositive(form.valueOr("nowPage"), 1),
            parsePositive(form.valueOr("pageSize"), kDefaultPageSize)) {}

Pager::Pager(int nowPage, int pageSize)
    : nowPage_(std::max(nowPage, 1)), pageSize_(std::clamp(pageSize, 1, kMaxPageSize)) {}

nlohmann::json Pager::reply(const std::vector<nlohmann::json>& items) const {
    const auto total = items.size();
    const auto size = static_cast<std::size_t>(pageSize_);
    const auto first = std::min(static_cast<std::size_t>(nowPage_ - 1) * size, total);
    const auto last = std::min(first + size, total);
    auto dataList = nlohmann::json::array();
    for (auto i = first; i < last; ++i)
        dataList.push_back(items[i]);
    const auto pages = (total + size - 1) / size;
    return {
        {"result", "0"},
        {"message", ""},
        {"nowPage", std::to_string(nowPage_)},
        {"pageSize", std::to_string(pageSize_)},
        {"totalCount", std::to_string(total)},
        {"totalPage", std::to_string(pages)},
        {"hasNext", last < total ? "true" : "false"},
        {"dataList", std::move(dataList)},
    };
}

int Pager::parsePositive(const std::string& text, int fallback) {
    int value = 0;
    const auto* begin = text.data();
    const auto* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || rest != end || value <= 0) return fallback;
    return value;
}

}  // namespace qelvo::demo
