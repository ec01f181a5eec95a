#include "tests/browse_news/NewsFixture.h"

#include "components/Toast.h"
#include "platform/foundation/Json.h"

namespace qelvo::test {

std::vector<std::string> NewsSearchTest::toasts() {
    return Toast::visibleToastTexts();
}

platform::Value NewsSearchTest::pagedReply(int nowPage, bool hasNext, int first, int count,
                                           const std::string& prefix) {
    platform::Value reply = BrowseTest::pagedReply(nowPage, hasNext, first, count, prefix);
    for (auto& item : reply["dataList"]) {
        item["url"] = "http://127.0.0.1:1/page";
        item["detailTitle"] = "detail " + item["id"].get<std::string>();
    }
    return reply;
}

}  // namespace qelvo::test
