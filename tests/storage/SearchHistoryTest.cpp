#include "StorageFixture.h"
#include "platform/foundation/Json.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "storage/FileManagerUtil.h"

using platform::Value;

namespace {

Value entry(const std::string& title) {
    return Value{{"title", title}};
}

std::vector<std::string> titles(const Value& history) {
    std::vector<std::string> out;
    for (const auto& item : history)
        out.push_back(item.at("title").get<std::string>());
    return out;
}

}  // namespace

using SearchHistoryTest = StorageTest;

TEST_F(SearchHistoryTest, SearchingTheSameTextTwiceKeepsOneEntryAtTheTop) {
    ASSERT_TRUE(FileManagerUtil::searchItem(entry("增值税")));
    ASSERT_TRUE(FileManagerUtil::searchItem(entry("个税")));
    ASSERT_TRUE(FileManagerUtil::searchItem(entry("增值税")));

    const auto history = FileManagerUtil::getHistorySearchArray();
    ASSERT_TRUE(history.has_value());
    EXPECT_EQ(titles(*history), (std::vector<std::string>{"增值税", "个税"}));
}

TEST_F(SearchHistoryTest, TenSearchesAreAllKeptNewestFirst) {
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(FileManagerUtil::searchItem(entry("key" + std::to_string(i))));
    }
    const auto history = FileManagerUtil::getHistorySearchArray();
    ASSERT_TRUE(history.has_value());
    ASSERT_EQ(history->size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(history->at(i).at("title"), "key" + std::to_string(9 - i));
    }
}

TEST_F(SearchHistoryTest, TextIsKeptAsTypedAndOnlyEqualEntriesMerge) {
    ASSERT_TRUE(FileManagerUtil::searchItem(entry(" 税 ")));
    ASSERT_TRUE(FileManagerUtil::searchItem(entry("税")));
    const auto history = FileManagerUtil::getHistorySearchArray();
    ASSERT_TRUE(history.has_value());
    EXPECT_EQ(titles(*history), (std::vector<std::string>{"税", " 税 "}));
}

TEST_F(SearchHistoryTest, HistoryIsAnXmlPropertyListInDocuments) {
    ASSERT_TRUE(FileManagerUtil::searchItem(entry("发票")));
    const auto stored = platform::PropertyList::read(documents() + "/historySearch.plist");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, Value::array({entry("发票")}));
    const auto text = platform::FileSystem::readFile(documents() + "/historySearch.plist");
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find("<plist"), std::string::npos);
}

TEST_F(SearchHistoryTest, ClearingRemovesTheFileAndReportsWhetherThereWasOne) {
    EXPECT_FALSE(FileManagerUtil::getHistorySearchArray().has_value());
    EXPECT_FALSE(FileManagerUtil::clearHistorySearch());

    ASSERT_TRUE(FileManagerUtil::searchItem(entry("社保")));
    EXPECT_TRUE(FileManagerUtil::clearHistorySearch());
    EXPECT_FALSE(platform::FileSystem::exists(documents() + "/historySearch.plist"));
    EXPECT_FALSE(FileManagerUtil::getHistorySearchArray().has_value());
    EXPECT_FALSE(FileManagerUtil::clearHistorySearch());
}

TEST_F(SearchHistoryTest, AnEntryThatCannotBeStoredLeavesTheHistoryAsItWas) {
    ASSERT_TRUE(FileManagerUtil::searchItem(entry("个税")));
    const auto before = platform::FileSystem::readFile(documents() + "/historySearch.plist");

    EXPECT_FALSE(FileManagerUtil::searchItem(Value{{"title", nullptr}}));

    EXPECT_EQ(platform::FileSystem::readFile(documents() + "/historySearch.plist"), before);
}
