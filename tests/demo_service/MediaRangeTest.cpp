// Byte ranges and validators of pictures and videos.

#include "ServiceFixture.h"

#include "SyntheticByteSource.h"

using qelvo::demo::SyntheticByteSource;

namespace {

class MediaRangeTest : public ServiceFixture {
protected:
    httplib::Result get(const std::string& path, const httplib::Headers& headers = {}) const {
        auto cli = client();
        return cli.Get(path.c_str(), headers);
    }
};

TEST_F(MediaRangeTest, WholeFileCarriesLengthAndValidators) {
    const auto result = get("/videos/synthetic/5000.mp4");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body, SyntheticByteSource::bytes(5000, 0));
    EXPECT_EQ(result->get_header_value("Content-Length"), "5000");
    EXPECT_EQ(result->get_header_value("Accept-Ranges"), "bytes");
    EXPECT_FALSE(result->get_header_value("ETag").empty());
    EXPECT_FALSE(result->get_header_value("Last-Modified").empty());
    EXPECT_FALSE(result->has_header("Content-Range"));
}

TEST_F(MediaRangeTest, RangeGivesPartialContentWithContentRange) {
    const auto whole = SyntheticByteSource::bytes(5000, 0);
    const std::tuple<const char*, std::size_t, std::size_t, const char*> cases[] = {
        {"bytes=100-199", 100, 100, "bytes 100-199/5000"},
        {"bytes=4000-", 4000, 1000, "bytes 4000-4999/5000"},
        {"bytes=-300", 4700, 300, "bytes 4700-4999/5000"},
        {"bytes=4990-9999", 4990, 10, "bytes 4990-4999/5000"},
    };
    for (const auto& [range, start, length, contentRange] : cases) {
        const auto result = get("/videos/synthetic/5000.mp4", {{"Range", range}});
        ASSERT_TRUE(result) << range;
        EXPECT_EQ(result->status, 206) << range;
        EXPECT_EQ(result->get_header_value("Content-Range"), contentRange);
        EXPECT_EQ(result->get_header_value("Content-Length"), std::to_string(length));
        EXPECT_EQ(result->body, whole.substr(start, length)) << range;
    }
}

TEST_F(MediaRangeTest, RangeBeyondTheEndIs416) {
    const auto result = get("/videos/tax-101.mp4", {{"Range", "bytes=99999999-"}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 416);
    EXPECT_EQ(result->get_header_value("Content-Range").rfind("bytes */", 0), 0u);
}

TEST_F(MediaRangeTest, RealVideoResumesFromAnyOffset) {
    const auto whole = get("/videos/tax-101.mp4");
    const auto tail = get("/videos/tax-101.mp4", {{"Range", "bytes=1000-"}});
    ASSERT_TRUE(whole && tail);
    EXPECT_EQ(tail->status, 206);
    EXPECT_EQ(whole->body.substr(1000), tail->body);
}

TEST_F(MediaRangeTest, IfRangeWithTheCurrentValidatorKeepsTheRange) {
    const auto head = get("/videos/synthetic/2000.mp4");
    ASSERT_TRUE(head);
    const auto etag = head->get_header_value("ETag");
    const auto modified = head->get_header_value("Last-Modified");
    for (const auto& validator : {etag, modified}) {
        const auto result =
            get("/videos/synthetic/2000.mp4", {{"Range", "bytes=500-"}, {"If-Range", validator}});
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 206) << validator;
        EXPECT_EQ(result->body.size(), 1500u);
    }
}

TEST_F(MediaRangeTest, ReplacedFileChangesValidatorsAndIfRangeThenSendsEverything) {
    const std::string path = "/videos/synthetic/2000.mp4";
    const auto before = get(path);
    ASSERT_TRUE(before);
    const auto oldTag = before->get_header_value("ETag");
    const auto oldDate = before->get_header_value("Last-Modified");

    const auto changed = control("POST", "/control/media", {{"path", path}, {"version", 3}});
    ASSERT_EQ(changed.value("result", ""), "ok");

    for (const auto& validator : {oldTag, oldDate}) {
        const auto result = get(path, {{"Range", "bytes=500-"}, {"If-Range", validator}});
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200) << validator;
        EXPECT_FALSE(result->has_header("Content-Range"));
        EXPECT_EQ(result->body, SyntheticByteSource::bytes(2000, 3));
        EXPECT_NE(result->get_header_value("ETag"), oldTag);
        EXPECT_NE(result->get_header_value("Last-Modified"), oldDate);
    }
    EXPECT_NE(SyntheticByteSource::bytes(2000, 3), before->body) << "the new version has other bytes";
}

TEST_F(MediaRangeTest, VersionSwitchChangesARealVideoThatStillStartsTheSame) {
    const auto original = get("/videos/vat-201.mp4");
    const auto replaced = get("/videos/vat-201.mp4?version=2");
    ASSERT_TRUE(original && replaced);
    EXPECT_NE(original->get_header_value("ETag"), replaced->get_header_value("ETag"));
    EXPECT_EQ(replaced->body.size(), original->body.size() + 16);
    EXPECT_EQ(replaced->body.substr(0, original->body.size()), original->body);
    EXPECT_EQ(replaced->body.substr(original->body.size() + 4, 4), "free");
}

TEST_F(MediaRangeTest, IfNoneMatchWithTheCurrentTagIs304) {
    const auto first = get("/pics/ad1.jpg");
    ASSERT_TRUE(first);
    const auto again = get("/pics/ad1.jpg", {{"If-None-Match", first->get_header_value("ETag")}});
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 304);
    EXPECT_TRUE(again->body.empty());
}

TEST_F(MediaRangeTest, MissingFilesAndEscapesAre404) {
    for (const char* path : {"/videos/none.mp4", "/pics/../content/courses.json",
                             "/pics/%2e%2e/content/home.json", "/videos/synthetic/abc.mp4", "/pics/"}) {
        const auto result = get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 404) << path;
    }
}

TEST_F(MediaRangeTest, HeadAnswersWithoutBody) {
    auto cli = client();
    const auto result = cli.Head("/videos/synthetic/123456.mp4");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Length"), "123456");
    EXPECT_TRUE(result->body.empty());
}

TEST(SyntheticBytes, DependOnPositionAndVersion) {
    const auto a = SyntheticByteSource::bytes(4096, 0);
    EXPECT_NE(a, SyntheticByteSource::bytes(4096, 1));
    EXPECT_NE(a.substr(0, 2048), a.substr(2048, 2048));
    EXPECT_NE(a.substr(0, 256), a.substr(256, 256));
    // The documented formula, written out again.
    std::uint64_t x = 12345 + 7 * 0x9E3779B97F4A7C15ULL;
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDULL;
    x ^= x >> 33;
    EXPECT_EQ(SyntheticByteSource::byteAt(12345, 7), static_cast<unsigned char>(x & 0xFF));
}

}  // namespace
