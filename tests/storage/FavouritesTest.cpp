#include "StorageFixture.h"
#include "platform/foundation/Json.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "storage/FileManagerUtil.h"

#include <sys/stat.h>

using platform::FileSystem;
using platform::Value;

namespace {

Value course(const std::string& id, const std::string& title = "小微企业所得税优惠") {
    return Value{{"id", id},
                 {"title", title},
                 {"image", "http://127.0.0.1/img/" + id + ".jpg"},
                 {"info", "三分钟读懂"},
                 {"url", "http://127.0.0.1/course/" + id + ".html"},
                 {"detailTitle", "课程详情"}};
}

std::vector<std::string> ids(const Value& favourites) {
    std::vector<std::string> out;
    for (const auto& item : favourites)
        out.push_back(item.at("id").get<std::string>());
    return out;
}

}  // namespace

class FavouritesTest : public StorageTest {
protected:
    std::string path() const { return documents() + "/collection.plist"; }
    std::optional<std::string> bytes() const { return FileSystem::readFile(path()); }
};

TEST_F(FavouritesTest, CollectedCoursesAreKeptWholeOldestFirst) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101")));
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("102")));

    const auto favourites = FileManagerUtil::getColltionArray();
    ASSERT_TRUE(favourites.has_value());
    EXPECT_EQ(ids(*favourites), (std::vector<std::string>{"101", "102"}));
    EXPECT_EQ(favourites->at(0), course("101"));
    EXPECT_EQ(platform::PropertyList::read(path()), *favourites);
}

TEST_F(FavouritesTest, FindMatchesOnIdOnly) {
    EXPECT_FALSE(FileManagerUtil::findShopCollection(course("101")));  // no file

    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101")));
    EXPECT_TRUE(FileManagerUtil::findShopCollection(course("101", "another title")));
    EXPECT_FALSE(FileManagerUtil::findShopCollection(course("1011")));
    EXPECT_FALSE(FileManagerUtil::findShopCollection(Value{{"title", "no id"}}));
}

TEST_F(FavouritesTest, RemovingWithoutAFileWritesNothingAndReportsNo) {
    EXPECT_FALSE(FileManagerUtil::removeCollectItem(course("101")));
    EXPECT_FALSE(FileSystem::exists(path()));
}

TEST_F(FavouritesTest, RemovingACourseThatIsNotStoredStillRewritesTheFile) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101")));
    // Same content, other layout: only a rewrite brings back the writer's layout.
    const auto canonical = bytes();
    const auto handWritten = platform::PropertyList::toXml(Value::array({course("101")}));
    ASSERT_TRUE(handWritten.has_value());
    ASSERT_TRUE(FileSystem::writeFileAtomically(path(), "\n\n" + *handWritten));

    EXPECT_TRUE(FileManagerUtil::removeCollectItem(course("999")));

    EXPECT_EQ(bytes(), canonical);
    EXPECT_EQ(ids(*FileManagerUtil::getColltionArray()), (std::vector<std::string>{"101"}));
}

TEST_F(FavouritesTest, OneRemovalTakesEveryCopyOfTheSameCourse) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101")));
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("102")));
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101")));
    ASSERT_EQ(FileManagerUtil::getColltionArray()->size(), 3u);

    EXPECT_TRUE(FileManagerUtil::removeCollectItem(course("101")));

    EXPECT_EQ(ids(*FileManagerUtil::getColltionArray()), (std::vector<std::string>{"102"}));
    EXPECT_FALSE(FileManagerUtil::findShopCollection(course("101")));
}

TEST_F(FavouritesTest, RemovalTakesTheFirstMatchingIdAndLeavesDifferentCopies) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101", "old title")));
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101", "new title")));

    EXPECT_TRUE(FileManagerUtil::removeCollectItem(course("101", "whatever")));

    const auto favourites = FileManagerUtil::getColltionArray();
    ASSERT_TRUE(favourites.has_value());
    ASSERT_EQ(favourites->size(), 1u);
    EXPECT_EQ(favourites->at(0).at("title"), "new title");
}

TEST_F(FavouritesTest, NumericIdsAreMatchedByTheirText) {
    Value numeric = course("7");
    numeric["id"] = 7;
    ASSERT_TRUE(FileManagerUtil::collectShopItem(numeric));

    EXPECT_TRUE(FileManagerUtil::findShopCollection(course("7")));
    EXPECT_TRUE(FileManagerUtil::removeCollectItem(numeric));
    EXPECT_TRUE(FileManagerUtil::getColltionArray()->empty());
}

TEST_F(FavouritesTest, ACourseHoldingNullIsRefusedAndTheFileStaysExactlyAsItWas) {
    Value broken = course("103");
    broken["info"] = nullptr;

    EXPECT_FALSE(FileManagerUtil::collectShopItem(broken));
    EXPECT_FALSE(FileSystem::exists(path()));

    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101")));
    const auto before = bytes();
    struct stat statBefore {};
    ASSERT_EQ(::stat(path().c_str(), &statBefore), 0);

    EXPECT_FALSE(FileManagerUtil::collectShopItem(broken));

    struct stat statAfter {};
    ASSERT_EQ(::stat(path().c_str(), &statAfter), 0);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(statAfter.st_ino, statBefore.st_ino);
    EXPECT_FALSE(FileManagerUtil::findShopCollection(broken));
}

TEST_F(FavouritesTest, WritesReplaceTheFileAtomically) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("101")));
    struct stat first {};
    ASSERT_EQ(::stat(path().c_str(), &first), 0);

    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("102")));

    // A new file took the old one's place, and no side file was left behind.
    struct stat second {};
    ASSERT_EQ(::stat(path().c_str(), &second), 0);
    EXPECT_NE(second.st_ino, first.st_ino);
    const auto entries = FileSystem::list(documents());
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(*entries, std::vector<std::string>{"collection.plist"});
}
