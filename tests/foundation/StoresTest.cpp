#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using platform::FileSystem;
using platform::PropertyList;
using platform::Value;

namespace {

class PropertyListTest : public ::testing::Test {
protected:
    qelvo::test::TempContainer container;
    std::string file = container.path() + "/Documents/list.plist";
};

TEST_F(PropertyListTest, ArraysOfDictionariesRoundTripWithChineseTextAndNumbers) {
    Value favourites = Value::array();
    favourites.push_back(
        {{"id", "101"}, {"title", "个人所得税专项附加扣除"}, {"count", -3}, {"ratio", 0.5}, {"free", true}});
    favourites.push_back({{"id", "102"}, {"nested", Value::array({"a&b", "<c>"})}});
    ASSERT_TRUE(PropertyList::writeAtomically(favourites, file));
    const auto back = PropertyList::read(file);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, favourites);
}

TEST_F(PropertyListTest, AValueWithANullFailsTheWriteAndLeavesTheFileAsItWas) {
    const Value original = Value::array({Value{{"id", "1"}}});
    ASSERT_TRUE(PropertyList::writeAtomically(original, file));
    const auto before = FileSystem::readFile(file);

    Value withNull = original;
    withNull.push_back({{"id", "2"}, {"image", nullptr}});
    EXPECT_FALSE(PropertyList::writeAtomically(withNull, file));
    EXPECT_EQ(FileSystem::readFile(file), before);
    EXPECT_FALSE(PropertyList::toXml(Value("scalar root")).has_value());
    // No side file is left behind by either write.
    EXPECT_EQ(FileSystem::list(container.path() + "/Documents")->size(), 1u);
}

TEST_F(PropertyListTest, UnreadableOrMissingFilesReadAsNothing) {
    EXPECT_FALSE(PropertyList::read(file).has_value());
    ASSERT_TRUE(FileSystem::writeFileAtomically(file, "<?xml version=\"1.0\"?><plist><array><string>cut"));
    EXPECT_FALSE(PropertyList::read(file).has_value());
    ASSERT_TRUE(FileSystem::writeFileAtomically(file, "not a property list at all"));
    EXPECT_FALSE(PropertyList::read(file).has_value());
}

TEST(FileSystemTest, PathHelpersFollowThePlatformRules) {
    EXPECT_EQ(FileSystem::appendingPathComponent("/a/b/", "c.plist"), "/a/b/c.plist");
    EXPECT_EQ(FileSystem::appendingPathComponent("/a", "/c"), "/a/c");
    EXPECT_EQ(FileSystem::appendingPathComponent("", "c"), "c");
    EXPECT_EQ(FileSystem::pathExtension("/x/Temp/77.plist"), "plist");
    EXPECT_EQ(FileSystem::pathExtension("/x/Temp/77"), "");
    EXPECT_EQ(FileSystem::pathExtension("/x.y/Temp"), "");
    EXPECT_EQ(FileSystem::appendingPathExtension("/x/Temp/77", "plist"), "/x/Temp/77.plist");
    EXPECT_EQ(FileSystem::lastPathComponent("/x/mp4/123.mp4"), "123.mp4");
    EXPECT_EQ(FileSystem::deletingLastPathComponent("/x/mp4/123.mp4"), "/x/mp4");
}

TEST(FileSystemTest, AtomicWriteReplacesWholeFilesAndFailsCleanlyWithoutAFolder) {
    qelvo::test::TempContainer container;
    const std::string file = container.path() + "/tmp/data.txt";
    ASSERT_TRUE(FileSystem::writeFileAtomically(file, std::string(100000, 'a')));
    ASSERT_TRUE(FileSystem::writeFileAtomically(file, "short"));
    EXPECT_EQ(FileSystem::readFile(file), "short");
    EXPECT_FALSE(FileSystem::writeFileAtomically(container.path() + "/missing/data.txt", "x"));
    EXPECT_EQ(FileSystem::list(container.path() + "/tmp")->size(), 1u);
}

class UserDefaultsTest : public ::testing::Test {
protected:
    qelvo::test::TempContainer container;
    platform::UserDefaults& defaults = platform::UserDefaults::standard();
    std::string file = container.path() + "/Library/Preferences/qelvo.plist";
};

TEST_F(UserDefaultsTest, ValuesAreWrittenThroughAndSurviveARestart) {
    defaults.setObject("zhang", "userName");
    defaults.setObject("1", "kMaxRequestCount");
    defaults.removeObjectForKey("kMaxRequestCount");
    EXPECT_TRUE(defaults.synchronize());

    defaults.load();  // as a new process would
    EXPECT_EQ(defaults.stringForKey("userName"), "zhang");
    EXPECT_FALSE(defaults.objectForKey("kMaxRequestCount").has_value());
    const auto onDisk = PropertyList::read(file);
    ASSERT_TRUE(onDisk.has_value());
    EXPECT_EQ((*onDisk)["userName"], "zhang");
}

TEST_F(UserDefaultsTest, AnUnreadableStoreIsKeptAsideNotOverwritten) {
    ASSERT_TRUE(FileSystem::writeFileAtomically(file, "garbage"));
    defaults.load();
    defaults.setObject("yes", "notWifiDown");
    EXPECT_EQ(FileSystem::readFile(file + ".unreadable"), "garbage");
    EXPECT_EQ(PropertyList::read(file).value()["notWifiDown"], "yes");
}

TEST_F(UserDefaultsTest, BackgroundReadersSeeWholeValuesWhileTheMainThreadWrites) {
    std::atomic<bool> stop{false};
    std::atomic<bool> torn{false};
    std::thread reader([&] {
        while (!stop) {
            const auto value = defaults.stringForKey("LastHomePageRefreshTime");
            if (value && *value != "2026-01-01 10:00:00" && *value != "2026-01-01 11:00:00") torn = true;
        }
    });
    for (int i = 0; i < 50; ++i) {
        defaults.setObject(i % 2 ? "2026-01-01 10:00:00" : "2026-01-01 11:00:00", "LastHomePageRefreshTime");
    }
    stop = true;
    reader.join();
    EXPECT_FALSE(torn);
}

TEST(LogTest, KeptLinesAreNumberedAndReadFromAnyPoint) {
    auto& log = platform::Log::shared();
    log.setEcho(false);
    const std::size_t start = log.lineCount();
    platform::logf("postStr is: {}", "mode=2");
    platform::log("加载出错");
    std::size_t next = 0;
    const auto lines = log.linesFrom(start, &next);
    EXPECT_EQ(lines, (std::vector<std::string>{"postStr is: mode=2", "加载出错"}));
    EXPECT_EQ(next, start + 2);
    EXPECT_TRUE(log.linesFrom(next, &next).empty());
    log.setEcho(true);
}

}  // namespace
