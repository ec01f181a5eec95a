#include "StorageFixture.h"
#include "platform/foundation/Json.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "storage/FileManagerUtil.h"
#include "storage/StoreFile.h"

#include <regex>

using platform::FileSystem;
using platform::Value;

namespace {

const std::string kGarbage = "<?xml version=\"1.0\"?><plist><array><dict><key>id</key>";

Value course(const std::string& id) {
    return Value{{"id", id}, {"title", "税务筹划"}};
}

}  // namespace

// A favourites or history file that is there but cannot be read must survive the
// next write: it is kept under another name before the new file is written.
class UnreadableStoreTest : public StorageTest {
protected:
    std::string path(const std::string& name) const { return documents() + "/" + name; }

    std::vector<std::string> keptCopies(const std::string& name) const {
        std::vector<std::string> kept;
        for (const auto& entry : FileSystem::list(documents()).value_or(std::vector<std::string>{})) {
            if (entry.rfind(name + ".corrupt-", 0) == 0) kept.push_back(entry);
        }
        std::sort(kept.begin(), kept.end());
        return kept;
    }
};

TEST_F(UnreadableStoreTest, UnreadableFavouritesReadAsNothing) {
    ASSERT_TRUE(FileSystem::writeFileAtomically(path("collection.plist"), kGarbage));
    EXPECT_FALSE(FileManagerUtil::getColltionArray().has_value());
    EXPECT_FALSE(FileManagerUtil::findShopCollection(course("1")));
    // Reading never moves anything.
    EXPECT_TRUE(keptCopies("collection.plist").empty());
}

TEST_F(UnreadableStoreTest, CollectingKeepsTheUnreadableFileAsideAndWritesANewOne) {
    ASSERT_TRUE(FileSystem::writeFileAtomically(path("collection.plist"), kGarbage));

    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("1")));

    const auto kept = keptCopies("collection.plist");
    ASSERT_EQ(kept.size(), 1u);
    // Named after the main clock's local time: collection.plist.corrupt-yyyyMMdd-HHmmss.
    EXPECT_TRUE(std::regex_match(kept[0], std::regex(R"(collection\.plist\.corrupt-\d{8}-\d{6})")));
    EXPECT_EQ(FileSystem::readFile(path(kept[0])), kGarbage);
    EXPECT_EQ(FileManagerUtil::getColltionArray(), Value::array({course("1")}));
    EXPECT_TRUE(logged("unreadable " + path("collection.plist") + " kept as " + path(kept[0])));
}

TEST_F(UnreadableStoreTest, EarlierKeptCopiesAreNeverOverwritten) {
    // Two unreadable files within the same second get distinct names.
    ASSERT_TRUE(FileSystem::writeFileAtomically(path("historySearch.plist"), "first"));
    ASSERT_TRUE(FileManagerUtil::searchItem(Value{{"title", "a"}}));
    ASSERT_TRUE(FileSystem::writeFileAtomically(path("historySearch.plist"), "second"));
    ASSERT_TRUE(FileManagerUtil::searchItem(Value{{"title", "b"}}));

    const auto kept = keptCopies("historySearch.plist");
    ASSERT_EQ(kept.size(), 2u);
    std::vector<std::string> contents;
    contents.reserve(kept.size());
    for (const auto& name : kept)
        contents.push_back(*FileSystem::readFile(path(name)));
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(FileManagerUtil::getHistorySearchArray(), Value::array({Value{{"title", "b"}}}));
}

TEST_F(UnreadableStoreTest, APropertyListWhoseRootIsNoArrayCountsAsUnreadable) {
    const Value dictionary{{"id", "1"}};
    ASSERT_TRUE(platform::PropertyList::writeAtomically(dictionary, path("collection.plist")));
    EXPECT_FALSE(FileManagerUtil::getColltionArray().has_value());

    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("2")));

    const auto kept = keptCopies("collection.plist");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(platform::PropertyList::read(path(kept[0])), dictionary);
}

TEST_F(UnreadableStoreTest, RemovingFromAnUnreadableFileTouchesNothing) {
    ASSERT_TRUE(FileSystem::writeFileAtomically(path("collection.plist"), kGarbage));
    EXPECT_FALSE(FileManagerUtil::removeCollectItem(course("1")));
    EXPECT_EQ(FileSystem::readFile(path("collection.plist")), kGarbage);
    EXPECT_TRUE(keptCopies("collection.plist").empty());
}

TEST_F(UnreadableStoreTest, AWriteThatCannotSucceedLeavesTheUnreadableFileInPlace) {
    ASSERT_TRUE(FileSystem::writeFileAtomically(path("collection.plist"), kGarbage));
    EXPECT_FALSE(FileManagerUtil::collectShopItem(Value{{"id", "1"}, {"info", nullptr}}));
    EXPECT_EQ(FileSystem::readFile(path("collection.plist")), kGarbage);
    EXPECT_TRUE(keptCopies("collection.plist").empty());
}

TEST_F(UnreadableStoreTest, LoadTellsMissingFromUnreadable) {
    const auto missing = StoreFile::load(path("collection.plist"));
    EXPECT_FALSE(missing.array.has_value());
    EXPECT_FALSE(missing.unreadable);

    ASSERT_TRUE(FileSystem::writeFileAtomically(path("collection.plist"), ""));
    const auto empty = StoreFile::load(path("collection.plist"));
    EXPECT_FALSE(empty.array.has_value());
    EXPECT_TRUE(empty.unreadable);
}
