// The small readers of the service: form bodies, ranges, paging, search words, UTF-8.

#include "ByteRange.h"
#include "CourseSearch.h"
#include "FormBody.h"
#include "MediaEndpoint.h"
#include "MediaLibrary.h"
#include "Pager.h"
#include "Utf8.h"

#include <gtest/gtest.h>

using namespace qelvo::demo;

TEST(FormBody, SplitsOnAmpersandAndTheFirstEquals) {
    const FormBody form("mode=7&searchKey=a=b&empty=&flag");
    EXPECT_EQ(form.valueOr("mode"), "7");
    EXPECT_EQ(form.valueOr("searchKey"), "a=b");
    EXPECT_TRUE(form.has("empty"));
    EXPECT_EQ(form.valueOr("empty", "x"), "");
    EXPECT_TRUE(form.has("flag"));
    EXPECT_FALSE(form.has("missing"));
}

TEST(FormBody, DecodesPlusAndPercentSequencesButKeepsEverythingElse) {
    EXPECT_EQ(FormBody::decode("%E5%8F%91%e7%a5%a8"), "发票");
    EXPECT_EQ(FormBody::decode("100%"), "100%");
    EXPECT_EQ(FormBody::decode("%zz%4"), "%zz%4");
    EXPECT_EQ(FormBody::decode("a+b%2Bc"), "a b+c");
    EXPECT_EQ(FormBody::decode("个税"), "个税");
}

TEST(FormBody, ReservedCharactersArriveOnlyEncodedAndCannotAddAField) {
    const FormBody login("mode=8&userName=symbols&password=a%26b%3Dc%2Bd+100%25");
    EXPECT_EQ(login.valueOr("password"), "a&b=c+d 100%");

    const FormBody search("mode=7&searchKey=A&B&nowPage=2&pageSize=10&nowPage=9");
    EXPECT_EQ(search.valueOr("searchKey"), "A");
    EXPECT_TRUE(search.has("B"));
    EXPECT_EQ(search.valueOr("nowPage"), "2") << "the first of a repeated key counts";
}

TEST(ByteRange, ReadsTheThreeFormsAndRefusesWhatLiesBeyondTheEnd) {
    const auto closed = ByteRange::parse("bytes=10-19", 100);
    EXPECT_EQ(closed.kind, ByteRange::Kind::Satisfiable);
    EXPECT_EQ(closed.first, 10u);
    EXPECT_EQ(closed.length(), 10u);
    EXPECT_EQ(ByteRange::parse("bytes=90-", 100).length(), 10u);
    EXPECT_EQ(ByteRange::parse("bytes=-5", 100).first, 95u);
    EXPECT_EQ(ByteRange::parse("bytes=-500", 100).first, 0u);
    EXPECT_EQ(ByteRange::parse("bytes=50-5000", 100).last, 99u);
    EXPECT_EQ(ByteRange::parse("bytes=100-", 100).kind, ByteRange::Kind::Unsatisfiable);
    EXPECT_EQ(ByteRange::parse("bytes=200-300", 100).kind, ByteRange::Kind::Unsatisfiable);
    EXPECT_EQ(ByteRange::parse("bytes=-0", 100).kind, ByteRange::Kind::Unsatisfiable);
}

TEST(ByteRange, IgnoresWhatItCannotReadOrSeveralRanges) {
    for (const char* header : {"", "items=1-2", "bytes=5-2", "bytes=a-b", "bytes=1-2,4-5", "bytes="})
        EXPECT_EQ(ByteRange::parse(header, 100).kind, ByteRange::Kind::None) << header;
}

TEST(Pager, SlicesPagesOfTheRequestedSize) {
    std::vector<nlohmann::json> items;
    for (int i = 0; i < 25; ++i)
        items.push_back(i);
    const auto third = Pager(3, 10).reply(items);
    EXPECT_EQ(third["dataList"].size(), 5u);
    EXPECT_EQ(third["dataList"][0], 20);
    EXPECT_EQ(third["hasNext"], "false");
    EXPECT_EQ(Pager(2, 10).reply(items)["hasNext"], "true");
    EXPECT_EQ(Pager(1, 25).reply(items)["hasNext"], "false");
    EXPECT_EQ(Pager::parsePositive("abc", 1), 1);
    EXPECT_EQ(Pager::parsePositive("-3", 1), 1);
    EXPECT_EQ(Pager::parsePositive("7", 1), 7);
    EXPECT_EQ(Pager(0, 0).nowPage(), 1);
    EXPECT_EQ(Pager(0, 0).pageSize(), 1);
}

TEST(CourseSearch, SplitsWordsAtAsciiAndFullWidthSpaces) {
    EXPECT_EQ(CourseSearch::words("  个税\xE3\x80\x80汇算 App "),
              (std::vector<std::string>{"个税", "汇算", "app"}));
    EXPECT_TRUE(CourseSearch::words(" \t ").empty());
}

TEST(Utf8, TellsValidFromInvalidAndConvertsToGbk) {
    EXPECT_TRUE(Utf8::isValid("发票 abc"));
    EXPECT_FALSE(Utf8::isValid("\xC3\x28"));
    EXPECT_FALSE(Utf8::isValid("\xED\xA0\x80"));  // a surrogate
    EXPECT_FALSE(Utf8::isValid("\xE5\x8F"));      // cut short
    EXPECT_EQ(Utf8::sanitise("a\xFF"
                             "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf8::length("发票ab"), 4u);
    const auto gbk = Utf8::toGbk("发票");
    ASSERT_TRUE(gbk);
    EXPECT_EQ(*gbk, "\xB7\xA2\xC6\xB1");
}

TEST(MediaLibrary, AcceptsOnlyPathsInsideTheDataFolder) {
    EXPECT_TRUE(MediaLibrary::isSafeRelativePath("pics/ad1.jpg"));
    for (const char* path : {"", "pics/../x", "pics//x", "pics/./x", "pics/x/", "..", "pics\\x"})
        EXPECT_FALSE(MediaLibrary::isSafeRelativePath(path)) << path;
}

TEST(MediaEndpoint, RedirectChainCountsDownAndDropsTheSwitchAtTheEnd) {
    EXPECT_EQ(MediaEndpoint::nextRedirectTarget("/v.mp4?a=1&redirects=3&b=2", 2),
              "/v.mp4?a=1&redirects=2&b=2");
    EXPECT_EQ(MediaEndpoint::nextRedirectTarget("/v.mp4?redirects=1", 0), "/v.mp4");
    EXPECT_EQ(MediaEndpoint::nextRedirectTarget("/v.mp4?rate=5&redirects=1", 0), "/v.mp4?rate=5");
}
