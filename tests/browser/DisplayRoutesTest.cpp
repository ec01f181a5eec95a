#include "platform/device/DisplayRoutes.h"
#include "tests/device_server/DeviceServerTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using platform::DisplayRoutes;

namespace {

class DisplayFileAnswerTest : public ::testing::Test {
protected:
    void SetUp() override {
        file =
            std::filesystem::temp_directory_path() / ("qelvo-display-" + std::to_string(::getpid()) + ".mp4");
        std::ofstream(file, std::ios::binary) << "0123456789";
    }
    void TearDown() override { std::filesystem::remove(file); }
    std::string header(const platform::DeviceServerResponse& response, const std::string& name) const {
        for (const auto& [key, value] : response.headers)
            if (key == name) return value;
        return {};
    }
    std::filesystem::path file;
};

TEST_F(DisplayFileAnswerTest, ServesTheWholeFileOrTheAskedRangeAndRefusesRangesOutsideIt) {
    const auto whole = DisplayRoutes::fileAnswer(file, "video/mp4", "");
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body, "0123456789");
    EXPECT_EQ(header(whole, "Accept-Ranges"), "bytes");

    const auto middle = DisplayRoutes::fileAnswer(file, "video/mp4", "bytes=2-5");
    EXPECT_EQ(middle.status, 206);
    EXPECT_EQ(middle.body, "2345");
    EXPECT_EQ(header(middle, "Content-Range"), "bytes 2-5/10");

    EXPECT_EQ(DisplayRoutes::fileAnswer(file, "video/mp4", "bytes=7-").body, "789");
    EXPECT_EQ(DisplayRoutes::fileAnswer(file, "video/mp4", "bytes=-3").body, "789");
    EXPECT_EQ(DisplayRoutes::fileAnswer(file, "video/mp4", "bytes=8-99").body, "89") << "the end is clamped";

    for (const char* outside : {"bytes=10-", "bytes=5-2", "bytes=x-1", "items=0-1", "bytes=0-1,3-4"}) {
        const auto refused = DisplayRoutes::fileAnswer(file, "video/mp4", outside);
        EXPECT_EQ(refused.status, 416) << outside;
        EXPECT_EQ(header(refused, "Content-Range"), "bytes */10") << outside;
    }
    EXPECT_EQ(DisplayRoutes::fileAnswer(file.string() + ".missing", "video/mp4", "").status, 404);
}

TEST(DisplayLinkRelayTest, ThePageGetsItsBaseAddressAndTheRelayRightAfterItsHead) {
    const std::string page =
        "<html><HEAD lang=\"zh\"><title>t</title></head><body><a href=\"doLogin\">x</a></body>";
    const auto relayed = DisplayRoutes::pageWithLinkRelay(page, "http://127.0.0.1:1/a?x=1&y=\"2\"");
    EXPECT_EQ(
        relayed.find("<html><HEAD lang=\"zh\"><base href=\"http://127.0.0.1:1/a?x=1&amp;y=&quot;2&quot;\">"),
        0u)
        << relayed;
    EXPECT_NE(relayed.find("postMessage({qelvoLink:a.getAttribute('href')}"), std::string::npos);
    EXPECT_NE(relayed.find("<title>t</title></head><body><a href=\"doLogin\">x</a></body>"),
              std::string::npos);

    const auto bare = DisplayRoutes::pageWithLinkRelay("<p>no head</p>", "http://h/p");
    EXPECT_EQ(bare.find("<base href=\"http://h/p\">"), 0u);
    EXPECT_NE(bare.find("<p>no head</p>"), std::string::npos);
}

using DisplayServerTest = qelvo::testing::DeviceServerFixture;

TEST_F(DisplayServerTest, ThePageAndItsFilesAreServedAtTheRootAndTheEventStreamSendsTheTree) {
    const auto page = get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(page->body.find("/display/display.js"), std::string::npos);
    const auto script = get("/display/display.js");
    ASSERT_TRUE(script);
    EXPECT_EQ(script->status, 200);
    EXPECT_EQ(script->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
    // The page and its files load only from this server and no other site may frame them.
    for (const auto* answer : {&page, &script}) {
        EXPECT_EQ((*answer)->get_header_value("X-Content-Type-Options"), "nosniff");
        EXPECT_EQ((*answer)->get_header_value("Referrer-Policy"), "no-referrer");
        const auto policy = (*answer)->get_header_value("Content-Security-Policy");
        EXPECT_EQ(policy.rfind("default-src 'none'; script-src 'self';", 0), 0u) << policy;
        EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos) << policy;
    }

    // The stream's first event is the tree the operations give; the client stops reading after it.
    std::string received;
    const auto events = send([&](httplib::Client& c) {
        return c.Get("/display/events", [&](const char* data, std::size_t length) {
            received.append(data, length);
            return received.find("\n\n") == std::string::npos;
        });
    });
    EXPECT_EQ(received, "event: tree\nid: 1\ndata: {\"called\":\"tree\"}\n\n");
    EXPECT_GE(operations.callCount(), 1u);
}

TEST_F(DisplayServerTest, PicturesPagesAndMoviesThatNoViewShowsAreNotServed) {
    EXPECT_EQ(get("/display/picture")->status, 400);
    EXPECT_EQ(get("/display/picture?src=http%3A%2F%2F127.0.0.1%3A1%2Fa.jpg")->status, 404);
    for (const std::string file :
         {"%2Fetc%2Fpasswd", "..%2F..%2F..%2Fetc%2Fpasswd", "file%3A%2F%2F%2Fetc%2Fpasswd", ".."})
        EXPECT_EQ(get("/display/picture?src=" + file)->status, 404) << file;
    EXPECT_EQ(get("/display/web?url=file%3A%2F%2F%2Fetc%2Fpasswd")->status, 400);
    EXPECT_EQ(get("/display/web?url=http%3A%2F%2F127.0.0.1%3A1%2F")->status, 404);
    EXPECT_EQ(get("/display/movie")->status, 404);
}

}  // namespace
