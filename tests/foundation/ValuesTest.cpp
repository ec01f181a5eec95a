#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Md5.h"
#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using platform::Json;
using platform::Value;

namespace {

TEST(JsonTest, RepliesThatAreNotJsonContainersParseAsNothing) {
    EXPECT_FALSE(Json::parse("").has_value());
    EXPECT_FALSE(Json::parse("<html>500</html>").has_value());
    EXPECT_FALSE(Json::parse("17").has_value());
    EXPECT_FALSE(Json::parse("{\"result\":\"0\",\"t\":\"\xff\xfe\"}").has_value());
    EXPECT_FALSE(Json::parseDictionary("[1,2]").has_value());
    const auto reply = Json::parseDictionary(R"({"result":"0","dataList":[{"id":"7"}]})");
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(Json::stringForKey(*reply, "result"), "0");
}

TEST(JsonTest, DescriptionInsertsValuesAsTheFormatDirectiveWould) {
    const auto d = Json::parseDictionary(R"({"s":"税务","i":17,"r":2.5,"w":3.0,"b":true,"n":null})").value();
    EXPECT_EQ(Json::description(Json::find(d, "s")), "税务");
    EXPECT_EQ(Json::description(Json::find(d, "i")), "17");
    EXPECT_EQ(Json::description(Json::find(d, "r")), "2.5");
    EXPECT_EQ(Json::description(Json::find(d, "w")), "3");
    EXPECT_EQ(Json::description(Json::find(d, "b")), "1");
    EXPECT_EQ(Json::description(Json::find(d, "n")), "<null>");
    EXPECT_EQ(Json::description(Json::find(d, "missing")), "(null)");
}

TEST(JsonTest, NumberReadingFollowsThePlatformTextRules) {
    EXPECT_EQ(Json::intValue(std::string_view("17abc")), 17);
    EXPECT_EQ(Json::intValue(std::string_view("  -42")), -42);
    EXPECT_EQ(Json::intValue(std::string_view("abc")), 0);
    EXPECT_EQ(Json::intValue(std::string_view("99999999999")), 2147483647);
    EXPECT_EQ(Json::longLongValue(std::string_view("5368709120")), 5368709120LL);
    const Value page = "2";
    const Value real = 3.9;
    EXPECT_EQ(Json::intValue(&page), 2);
    EXPECT_EQ(Json::intValue(&real), 3);
    EXPECT_EQ(Json::intValue(nullptr), 0);
    EXPECT_DOUBLE_EQ(Json::doubleValue(std::string_view("1.5MB")), 1.5);
    const Value yes = "YES", zero = "0", one = 1;
    EXPECT_TRUE(Json::boolValue(&yes));
    EXPECT_FALSE(Json::boolValue(&zero));
    EXPECT_TRUE(Json::boolValue(&one));
}

TEST(JsonTest, Utf8ValidationRejectsBrokenAndOverlongSequences) {
    EXPECT_TRUE(Json::isValidUtf8("财务报表 abc"));
    EXPECT_FALSE(Json::isValidUtf8("\xe8\xb4"));      // cut in the middle
    EXPECT_FALSE(Json::isValidUtf8("\xc0\xaf"));      // overlong "/"
    EXPECT_FALSE(Json::isValidUtf8("\xed\xa0\x80"));  // surrogate
}

class DateFormatterTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", "Asia/Shanghai", 1);
        tzset();
    }
    void TearDown() override {
        if (savedTz_)
            setenv("TZ", savedTz_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> savedTz_;
};

TEST_F(DateFormatterTest, EveryPatternFormatsInLocalTimeAndReadsBack) {
    // 2026-03-05 14:07:09 in Shanghai (UTC+8).
    const auto date = std::chrono::system_clock::from_time_t(1772690829);
    EXPECT_EQ(platform::DateFormatter("yyyy-MM-dd HH:mm:ss").stringFromDate(date), "2026-03-05 14:07:09");
    EXPECT_EQ(platform::DateFormatter("MM-dd HH:mm:ss").stringFromDate(date), "03-05 14:07:09");
    EXPECT_EQ(platform::DateFormatter("yyyy-MM-dd HH:mm").stringFromDate(date), "2026-03-05 14:07");
    EXPECT_EQ(platform::DateFormatter("MM/dd/yyyy hh:mm a").stringFromDate(date), "03/05/2026 02:07 PM");
    EXPECT_EQ(platform::DateFormatter("yyyy-MM-dd HH:mm:ss").dateFromString("2026-03-05 14:07:09"), date);
    EXPECT_EQ(platform::DateFormatter("MM/dd/yyyy hh:mm a").dateFromString("03/05/2026 02:07 PM"),
              std::chrono::system_clock::from_time_t(1772690820));
    EXPECT_EQ(platform::DateFormatter("MM/dd/yyyy hh:mm a").dateFromString("03/05/2026 12:30 AM"),
              std::chrono::system_clock::from_time_t(1772641800));
}

TEST_F(DateFormatterTest, TextsThatDoNotMatchOrNameNoRealMomentGiveNothing) {
    const platform::DateFormatter full("yyyy-MM-dd HH:mm:ss");
    EXPECT_FALSE(full.dateFromString("").has_value());
    EXPECT_FALSE(full.dateFromString("2026-02-30 10:00:00").has_value());
    EXPECT_FALSE(full.dateFromString("2026-01-01 10:00:00 trailing").has_value());
    EXPECT_FALSE(full.dateFromString("2026/01/01 10:00:00").has_value());
    EXPECT_FALSE(full.dateFromString("2026-01-01 24:00:00").has_value());
}

TEST_F(DateFormatterTest, TimesWithoutAYearShareOneYearSoTheyOrderByMonthAndDay) {
    const platform::DateFormatter noYear("MM-dd HH:mm:ss");
    const auto lateDecember = noYear.dateFromString("12-31 23:59:00");
    const auto earlyJanuary = noYear.dateFromString("01-01 00:01:00");
    ASSERT_TRUE(lateDecember && earlyJanuary);
    EXPECT_GT(*lateDecember, *earlyJanuary);
    EXPECT_EQ(noYear.stringFromDate(*lateDecember), "12-31 23:59:00");
}

TEST(Md5Test, DigestsAreLowercaseHexInByteOrder) {
    EXPECT_EQ(platform::Md5::hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(platform::Md5::hex("The quick brown fox jumps over the lazy dog"),
              "9e107d9d372bb6826bd81d3542a419d6");
    EXPECT_EQ(platform::Md5::hex("http://127.0.0.1:8080/pics/ad1.jpg").size(), 32u);
}

TEST(NotificationCenterTest, ObserversHearTheirNameUntilTheirHandleEnds) {
    platform::NotificationCenter center;
    int logins = 0, others = 0;
    {
        auto login = center.addObserver("UserLoginSuc", [&](const platform::Notification& n) {
            EXPECT_EQ(n.name, "UserLoginSuc");
            ++logins;
        });
        auto other =
            center.addObserver("CollectionChanged", [&](const platform::Notification&) { ++others; });
        center.post("UserLoginSuc");
        EXPECT_EQ(logins, 1);
        EXPECT_EQ(others, 0);
    }
    center.post("UserLoginSuc");
    EXPECT_EQ(logins, 1);
    EXPECT_EQ(center.observerCount("UserLoginSuc"), 0u);
}

TEST(NotificationCenterTest, AnObserverEndedDuringAPostIsNotCalledAfterwards) {
    platform::NotificationCenter center;
    int secondCalls = 0;
    platform::Observation second;
    auto first =
        center.addObserver("CollectionChanged", [&](const platform::Notification&) { second.reset(); });
    second = center.addObserver("CollectionChanged", [&](const platform::Notification&) { ++secondCalls; });
    center.post("CollectionChanged");
    EXPECT_EQ(secondCalls, 0);

    // An observer may also end its own observation while it is being called.
    int selfCalls = 0;
    platform::Observation self;
    self = center.addObserver("once", [&](const platform::Notification&) {
        ++selfCalls;
        self.reset();
    });
    center.post("once");
    center.post("once");
    EXPECT_EQ(selfCalls, 1);
}

}  // namespace
