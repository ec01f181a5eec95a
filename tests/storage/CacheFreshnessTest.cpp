#include "StorageFixture.h"

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "storage/CacheFreshness.h"

#include <chrono>

using platform::FileSystem;

namespace {
const std::string kKey = "LastHomePageRefreshTime";
}

class CacheFreshnessTest : public StorageTest {
protected:
    // Stores a moment the given number of seconds before the clock's now, as the
    // screens store it (local time), so the test holds in any time zone.
    void storeSecondsAgo(double seconds) {
        const auto moment = clock_->wallNow() - std::chrono::duration_cast<platform::Clock::Date::duration>(
                                                    std::chrono::duration<double>(seconds));
        platform::UserDefaults::standard().setObject(
            platform::DateFormatter("yyyy-MM-dd HH:mm:ss").stringFromDate(moment), kKey);
    }
};

TEST_F(CacheFreshnessTest, AMissingMomentAlwaysFetches) {
    EXPECT_FALSE(CacheFreshness::secondsSinceRefresh(kKey).has_value());
    EXPECT_TRUE(CacheFreshness::needsRefresh(kKey));
}

TEST_F(CacheFreshnessTest, TheCacheIsKeptForThreeHundredSeconds) {
    CacheFreshness::markRefreshed(kKey);
    EXPECT_FALSE(CacheFreshness::needsRefresh(kKey));

    clock_->advance(299);
    EXPECT_FALSE(CacheFreshness::needsRefresh(kKey));
    EXPECT_DOUBLE_EQ(*CacheFreshness::secondsSinceRefresh(kKey), 299.0);

    clock_->advance(1);
    EXPECT_FALSE(CacheFreshness::needsRefresh(kKey));  // exactly 300 is not more than 300

    clock_->advance(1);
    EXPECT_TRUE(CacheFreshness::needsRefresh(kKey));

    CacheFreshness::markRefreshed(kKey);
    EXPECT_FALSE(CacheFreshness::needsRefresh(kKey));
}

TEST_F(CacheFreshnessTest, StoredMomentsAreJudgedByTheirAge) {
    storeSecondsAgo(299);
    EXPECT_FALSE(CacheFreshness::needsRefresh(kKey));
    storeSecondsAgo(301);
    EXPECT_TRUE(CacheFreshness::needsRefresh(kKey));
    storeSecondsAgo(86400 * 400);
    EXPECT_TRUE(CacheFreshness::needsRefresh(kKey));
}

TEST_F(CacheFreshnessTest, UnparsableAndFutureMomentsFetch) {
    auto& defaults = platform::UserDefaults::standard();
    defaults.setObject("yesterday", kKey);
    EXPECT_FALSE(CacheFreshness::secondsSinceRefresh(kKey).has_value());
    EXPECT_TRUE(CacheFreshness::needsRefresh(kKey));

    defaults.setObject(1700000000, kKey);
    EXPECT_TRUE(CacheFreshness::needsRefresh(kKey));

    // The device clock was set back after the last reply: its age is unknown.
    storeSecondsAgo(-3600);
    EXPECT_TRUE(CacheFreshness::needsRefresh(kKey));
}

TEST_F(CacheFreshnessTest, TheMomentIsStoredAsLocalTimeAndWrittenThrough) {
    CacheFreshness::markRefreshed("newsCateID12");

    const std::string expected =
        platform::DateFormatter("yyyy-MM-dd HH:mm:ss").stringFromDate(clock_->wallNow());
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("newsCateID12"), expected);

    const auto onDisk =
        platform::PropertyList::read(platform::Container::shared().preferences() + "/qelvo.plist");
    ASSERT_TRUE(onDisk.has_value());
    EXPECT_EQ(onDisk->value("newsCateID12", std::string()), expected);
}

using CachedReplyTest = StorageTest;

TEST_F(CachedReplyTest, RepliesAreStoredAsTextInTheCacheFolder) {
    EXPECT_FALSE(CacheFreshness::readCachedReply("mode2.plist").has_value());

    const std::string body = R"({"result":"0","ad":[{"title":"个税新规"}]})";
    ASSERT_TRUE(CacheFreshness::writeCachedReply("mode2.plist", body));

    EXPECT_EQ(CacheFreshness::cacheFilePath("mode2.plist"), documents() + "/dataCache/mode2.plist");
    EXPECT_EQ(FileSystem::readFile(documents() + "/dataCache/mode2.plist"), body);
    EXPECT_EQ(CacheFreshness::readCachedReply("mode2.plist"), body);

    ASSERT_TRUE(CacheFreshness::writeCachedReply("mode2.plist", "{}"));
    EXPECT_EQ(CacheFreshness::readCachedReply("mode2.plist"), "{}");
    EXPECT_EQ(FileSystem::list(documents() + "/dataCache"), std::vector<std::string>{"mode2.plist"});
}

TEST_F(CachedReplyTest, ABodyThatIsNotUtf8WritesNoFile) {
    const std::string notText("{\"a\":\"\xc3\x28\"}", 9);
    EXPECT_FALSE(CacheFreshness::writeCachedReply("mode6.plist", notText));
    EXPECT_FALSE(FileSystem::exists(documents() + "/dataCache/mode6.plist"));

    ASSERT_TRUE(CacheFreshness::writeCachedReply("mode6.plist", "{\"result\":\"0\"}"));
    EXPECT_FALSE(CacheFreshness::writeCachedReply("mode6.plist", notText));
    EXPECT_EQ(CacheFreshness::readCachedReply("mode6.plist"), "{\"result\":\"0\"}");
}
