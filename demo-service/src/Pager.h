#pragma once

#include "FormBody.h"

#include <nlohmann/json.hpp>

#include <vector>

namespace qelvo::demo {

// The paging convention of the list operations: the request names "nowPage" (from 1)
// and "pageSize" (10); the reply echoes "nowPage", holds that page in "dataList" and
// says "hasNext" "true" or "false" (strings) for the page after it.
class Pager {
public:
    static constexpr int kDefaultPageSize = 10;
    static constexpr int kMaxPageSize = 100;

    explicit Pager(const FormBody& form);
    Pager(int nowPage, int pageSize);

    int nowPage() const { return nowPage_; }
    int pageSize() const { return pageSize_; }

    // A success reply holding the requested page of `items`.
    nlohmann::json reply(const std::vector<nlohmann::json>& items) const;

    // A whole number from the text, or `fallback` when it is not one.
    static int parsePositive(const std::string& text, int fallback);

private:
    int nowPage_;
    int pageSize_;
};

}  // namespace qelvo::demo
