#include "components/PagedList.h"
#include "platform/foundation/Json.h"

#include <gtest/gtest.h>

namespace qelvo::test {
namespace {

using platform::Value;

Value page(Value nowPage, std::vector<std::string> ids, Value hasNext = "true") {
    Value list = Value::array();
    for (const auto& id : ids) {
        list.push_back(Value{{"id", id}});
    }
    Value reply{{"result", "0"}, {"nowPage", std::move(nowPage)}, {"dataList", std::move(list)}};
    if (!hasNext.is_null()) {
        reply["hasNext"] = std::move(hasNext);
    }
    return reply;
}

std::vector<std::string> idsOf(const Value& items) {
    std::vector<std::string> ids;
    for (const auto& item : items) {
        ids.push_back(item.at("id").get<std::string>());
    }
    return ids;
}

TEST(PagedListTest, PageOneReplacesAndLaterPagesAppend) {
    int nowPage = 7;
    Value items = Value::array({Value{{"id", "old"}}});

    EXPECT_TRUE(PagedList::applyReply(page(1, {"a", "b"}), nowPage, items));
    EXPECT_EQ(nowPage, 1);
    EXPECT_EQ(idsOf(items), (std::vector<std::string>{"a", "b"}));

    EXPECT_FALSE(PagedList::applyReply(page("2", {"c"}, "false"), nowPage, items));
    EXPECT_EQ(nowPage, 2);
    EXPECT_EQ(idsOf(items), (std::vector<std::string>{"a", "b", "c"}));

    // Page 1 again (a pull-to-refresh) starts over.
    EXPECT_TRUE(PagedList::applyReply(page("1", {"z"}), nowPage, items));
    EXPECT_EQ(idsOf(items), (std::vector<std::string>{"z"}));
}

TEST(PagedListTest, FailedRepliesLeaveEverythingAsItWas) {
    int nowPage = 3;
    Value items = Value::array({Value{{"id", "kept"}}});
    Value failed = page(1, {"x"});
    failed["result"] = "1";
    EXPECT_FALSE(PagedList::applyReply(failed, nowPage, items));
    Value numeric = page(1, {"x"});
    numeric["result"] = 0;  // not the string "0"
    EXPECT_FALSE(PagedList::applyReply(numeric, nowPage, items));
    Value missing = page(1, {"x"});
    missing.erase("result");
    EXPECT_FALSE(PagedList::applyReply(missing, nowPage, items));
    EXPECT_FALSE(PagedList::applyReply(Value(nullptr), nowPage, items));
    EXPECT_EQ(nowPage, 3);
    EXPECT_EQ(idsOf(items), (std::vector<std::string>{"kept"}));
}

TEST(PagedListTest, OnlyTheStringTrueMeansAnotherPage) {
    int nowPage = 0;
    Value items = Value::array();
    EXPECT_TRUE(PagedList::applyReply(page(1, {}, "true"), nowPage, items));
    EXPECT_FALSE(PagedList::applyReply(page(1, {}, "false"), nowPage, items));
    EXPECT_FALSE(PagedList::applyReply(page(1, {}, Value(nullptr)), nowPage, items));
    EXPECT_FALSE(PagedList::applyReply(page(1, {}, true), nowPage, items));
    EXPECT_FALSE(PagedList::applyReply(page(1, {}, "TRUE"), nowPage, items));
}

TEST(PagedListTest, AReplyWithoutAListStillSetsThePage) {
    int nowPage = 0;
    Value items = Value::array({Value{{"id", "a"}}});
    Value reply{{"result", "0"}, {"nowPage", 2}, {"hasNext", "true"}};
    EXPECT_TRUE(PagedList::applyReply(reply, nowPage, items));
    EXPECT_EQ(nowPage, 2);
    EXPECT_EQ(idsOf(items), (std::vector<std::string>{"a"}));

    reply["nowPage"] = 1;
    reply["dataList"] = "not a list";
    PagedList::applyReply(reply, nowPage, items);
    EXPECT_TRUE(items.is_array());
    EXPECT_TRUE(items.empty());
}

}  // namespace
}  // namespace qelvo::test
