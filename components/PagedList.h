#pragma once

#include "platform/foundation/Json.h"

// The paging convention every paged reply follows ("nowPage", "dataList", "hasNext").
class PagedList {
public:
    // For a successful reply: nowPage = the reply's "nowPage"; page 1 empties `items`;
    // appends "dataList". Returns whether "hasNext" is "true". Does nothing and returns
    // false for a failed reply.
    static bool applyReply(const platform::Value& reply, int& nowPage, platform::Value& items);
};
