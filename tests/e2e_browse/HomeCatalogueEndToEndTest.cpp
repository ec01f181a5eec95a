// The home page and the catalogue in the running app against the demo service,
// driven only through the device API.

#include "tests/support/RunningApp.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace qelvo::test {
namespace {

using nlohmann::json;

RunningApp::Paths paths() {
    return {QELVO_APP_BIN, QELVO_DEMO_SERVICE_BIN, std::string(QELVO_SOURCE_DIR) + "/demo-service/data"};
}

json demoContent(const std::string& file) {
    std::ifstream in(std::string(QELVO_SOURCE_DIR) + "/demo-service/data/content/" + file);
    return json::parse(in, nullptr, false);
}

// The bodies the demo service has received that start with `prefix`.
std::vector<std::string> bodiesStartingWith(RunningApp& app, const std::string& prefix) {
    std::vector<std::string> found;
    const json log = app.serviceRequests();
    for (const auto& request : log["requests"]) {
        const std::string body = request.value("body", "");
        if (body.rfind(prefix, 0) == 0) {
            found.push_back(body);
        }
    }
    return found;
}

class HomeCatalogueEndToEnd : public ::testing::Test {
protected:
    TempContainer container;
};

TEST_F(HomeCatalogueEndToEnd, FirstStartFetchesTheHomePageAndARestartWithin300SecondsShowsItFromTheCache) {
    const json home = demoContent("home.json");
    const json categories = demoContent("courses.json")["categories"];
    ASSERT_TRUE(home.is_object() && categories.is_array());
    // The first featured section is a category; its row shows the category's title.
    std::string firstSection;
    for (const auto& category : categories) {
        if (category["id"] == home["sections"][0]["categoryId"]) {
            firstSection = category["title"];
        }
    }
    ASSERT_FALSE(firstSection.empty());

    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    auto shown = app.waitForScreen([&](const json& s) { return RunningApp::showsText(s, firstSection); });
    ASSERT_TRUE(shown) << app.screen().dump();
    EXPECT_EQ(bodiesStartingWith(app, "mode=2").size(), 1U);

    ASSERT_TRUE(app.restartApp()) << app.failure();
    shown = app.waitForScreen([&](const json& s) { return RunningApp::showsText(s, firstSection); }, 5);
    ASSERT_TRUE(shown) << "the stored reply shows at once";
    // A refresh of the home page would have begun when it appeared, before this tap, and
    // the catalogue's first refresh runs through the same two-second cycle: its request
    // reaching the service comes after any home request the restart made.
    ASSERT_EQ(app.post("/api/tap", {{"text", "微课程"}}).status, 200);
    for (int wait = 0; wait < 200 && bodiesStartingWith(app, "mode=3").empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    ASSERT_EQ(bodiesStartingWith(app, "mode=3").size(), 1U);
    EXPECT_EQ(bodiesStartingWith(app, "mode=2").size(), 1U) << "nothing is asked within 300 seconds";
}

TEST_F(HomeCatalogueEndToEnd, TheCataloguePagesToItsLastPageWithLoadMore) {
    const json categories = demoContent("courses.json")["categories"];
    ASSERT_TRUE(categories.is_array());
    const std::string firstTitle = categories.front()["title"];
    const std::string lastTitle = categories.back()["title"];
    const std::size_t pages = (categories.size() + 9) / 10;

    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_EQ(app.post("/api/tap", {{"text", "微课程"}}).status, 200);
    ASSERT_TRUE(app.waitForScreen([&](const json& s) {
        return s["tab"] == 1 && RunningApp::showsText(s, firstTitle);
    })) << app.screen().dump();

    // The catalogue logs each reply it shows.
    const std::string shownReply = "请求课程返回数据;";
    ASSERT_TRUE(app.waitUntilStill());
    for (int step = 0; step < 60 && !RunningApp::showsText(app.screen(), lastTitle); ++step) {
        json screen = app.screen();
        if (RunningApp::showsText(screen, "加载更多")) {
            const std::size_t shown = app.logLinesWith(shownReply);
            ASSERT_EQ(app.post("/api/tap", {{"text", "加载更多"}}).status, 200);
            ASSERT_TRUE(app.waitForLogLines(shownReply, shown + 1)) << "the next page was shown";
        } else {
            app.post("/api/drag", {{"from", {160, 450}}, {"to", {160, 150}}, {"seconds", 0.3}});
        }
        ASSERT_TRUE(app.waitUntilStill());
    }
    EXPECT_TRUE(RunningApp::showsText(app.screen(), lastTitle)) << app.screen().dump();
    const auto asked = bodiesStartingWith(app, "mode=3");
    ASSERT_EQ(asked.size(), pages);
    for (std::size_t page = 1; page <= pages; ++page) {
        EXPECT_EQ(asked[page - 1], "mode=3&nowPage=" + std::to_string(page) + "&pageSize=10");
    }
    // The last page has no "加载更多" under it.
    for (int drag = 0; drag < 3; ++drag) {
        app.post("/api/drag", {{"from", {160, 450}}, {"to", {160, 150}}, {"seconds", 0.3}});
        ASSERT_TRUE(app.waitUntilStill());
    }
    EXPECT_FALSE(RunningApp::showsText(app.screen(), "加载更多"));
}

TEST_F(HomeCatalogueEndToEnd, ACourseOpensFromAHomeTile) {
    const json home = demoContent("home.json");
    const json categories = demoContent("courses.json")["categories"];
    std::string tile;
    std::string courseId;
    for (const auto& category : categories) {
        if (category["id"] == home["sections"][0]["categoryId"]) {
            tile = category["courses"][0]["title"];
            courseId = category["courses"][0]["id"];
        }
    }
    ASSERT_FALSE(tile.empty());

    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_TRUE(app.waitForScreen([&](const json& s) { return RunningApp::showsText(s, tile); }))
        << app.screen().dump();
    ASSERT_EQ(app.post("/api/tap", {{"text", tile}}).status, 200);
    auto detail = app.waitForScreen([](const json& s) {
        return s["screens"] == json::array({"MainViewCon", "CourseDetailViewCon"});
    });
    ASSERT_TRUE(detail) << app.screen().dump();
    bool pageOfTheCourse = false;
    for (int attempt = 0; attempt < 100 && !pageOfTheCourse; ++attempt) {
        const json screen = app.screen();
        for (const auto& view : screen["views"]) {
            if (view["kind"] == "web" &&
                view.value("url", "").find("docId=" + courseId) != std::string::npos) {
                pageOfTheCourse = true;
            }
        }
        if (!pageOfTheCourse) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    EXPECT_TRUE(pageOfTheCourse) << "the detail screen shows the tapped course's page: "
                                 << app.screen().dump();
}

}  // namespace
}  // namespace qelvo::test
