#include "components/PagedList.h"

#include "platform/foundation/Json.h"
#include "service/ServiceReply.h"

bool PagedList::applyReply(const platform::Value& reply, int& nowPage, platform::Value& items) {
    if (!ServiceReply::isSuccess(reply)) {
        return false;
    }
    nowPage = ServiceReply::nowPage(reply);
    if (nowPage == 1 || !items.is_array()) {
        items = platform::Value::array();
    }
    if (const auto* list = ServiceReply::dataList(reply)) {
        for (const auto& item : *list) {
            items.push_back(item);
        }
    }
    return ServiceReply::hasNext(reply);
}
