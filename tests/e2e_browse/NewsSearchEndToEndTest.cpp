// The news and the search in the running app against the demo service, driven only
// through the device API.

#include "tests/support/RunningApp.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qelvo::test {
namespace {

using nlohmann::json;

RunningApp::Paths paths() {
    return {QELVO_APP_BIN, QELVO_DEMO_SERVICE_BIN, std::string(QELVO_SOURCE_DIR) + "/demo-service/data"};
}

std::vector<json> viewsOfKind(const json& screen, const std::string& kind) {
    std::vector<json> found;
    for (const auto& view : screen["views"]) {
        if (view["kind"] == kind) {
            found.push_back(view);
        }
    }
    return found;
}

json centreOf(const json& view) {
    const auto& f = view["frame"];
    return json{{"x", f[0].get<double>() + f[2].get<double>() / 2},
                {"y", f[1].get<double>() + f[3].get<double>() / 2}};
}

bool topScreenIs(const json& screen, const std::string& name) {
    return !screen["screens"].empty() && screen["screens"].back() == name;
}

bool serviceSaw(RunningApp& app, const std::string& body) {
    const json log = app.serviceRequests();
    for (const auto& request : log["requests"]) {
        if (request.value("body", "") == body) {
            return true;
        }
    }
    return false;
}

class NewsSearchEndToEnd : public ::testing::Test {
protected:
    // Taps the first row of the list on screen and waits for the course detail screen.
    void openFirstCourse(RunningApp& app) {
        auto listed = app.waitForScreen([](const json& s) { return !viewsOfKind(s, "cell").empty(); }, 15);
        ASSERT_TRUE(listed) << "no result rows";
        ASSERT_EQ(app.post("/api/tap", centreOf(viewsOfKind(*listed, "cell").front())).status, 200);
        auto detail = app.waitForScreen([](const json& s) { return topScreenIs(s, "CourseDetailViewCon"); });
        ASSERT_TRUE(detail) << app.screen().dump();
    }

    TempContainer container;
};

TEST_F(NewsSearchEndToEnd, ANewsChannelShowsItsHeadlinesAndRowsAndOpensAnArticle) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_EQ(app.post("/api/tap", {{"text", "资讯"}}).status, 200);
    // The channel list arrives, the first channel refreshes (2 s) and its first page shows.
    auto shown = app.waitForScreen(
        [](const json& s) {
            auto pages = viewsOfKind(s, "pages");
            return s["tab"] == 2 && !pages.empty() && pages.front()["count"] == 3 &&
                   !viewsOfKind(s, "cell").empty();
        },
        20);
    ASSERT_TRUE(shown) << app.screen().dump();
    EXPECT_TRUE(RunningApp::showsText(*shown, "财税要闻")) << "the first channel's tab";
    EXPECT_TRUE(serviceSaw(app, "mode=4&categoryId=&nowPage=1&pageSize=10"));
    EXPECT_TRUE(serviceSaw(app, "mode=4&categoryId=11&nowPage=1&pageSize=10"));

    ASSERT_EQ(app.post("/api/tap", centreOf(viewsOfKind(*shown, "cell").front())).status, 200);
    auto article = app.waitForScreen([](const json& s) { return topScreenIs(s, "WebViewController"); });
    ASSERT_TRUE(article) << app.screen().dump();
    auto web = app.waitForScreen([](const json& s) {
        auto pages = viewsOfKind(s, "web");
        return !pages.empty() && pages.front().value("loading", true) == false;
    });
    ASSERT_TRUE(web);
    const std::string url = viewsOfKind(*web, "web").front().value("url", "");
    EXPECT_NE(url.find("/wcm/qelvo/app/newsDetail.aspx?docId="), std::string::npos) << url;
    EXPECT_EQ(url.substr(url.size() - 9), "&from=iOS") << url;
}

TEST_F(NewsSearchEndToEnd, ASearchFromTheFieldShowsResultsAndOpensACourse) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_EQ(app.post("/api/tap", {{"text", "找课程"}}).status, 200);
    auto search = app.waitForScreen([](const json& s) { return !viewsOfKind(s, "field").empty(); });
    ASSERT_TRUE(search);
    ASSERT_EQ(app.post("/api/tap", centreOf(viewsOfKind(*search, "field").front())).status, 200);
    ASSERT_EQ(app.post("/api/type", {{"text", "增值税"}}).status, 200);
    ASSERT_EQ(app.post("/api/tap", {{"text", "搜索"}}).status, 200);
    auto results = app.waitForScreen([](const json& s) { return topScreenIs(s, "SearchResultViewCon"); });
    ASSERT_TRUE(results) << app.screen().dump();
    openFirstCourse(app);
    EXPECT_TRUE(serviceSaw(app, "mode=7&searchKey=%E5%A2%9E%E5%80%BC%E7%A8%8E&nowPage=1&pageSize=10"));
}

// What a person types goes to the service as typed: "+" and "&" neither turn into a space
// nor start another field.
TEST_F(NewsSearchEndToEnd, ASearchKeyWithReservedCharactersArrivesAsTyped) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_EQ(app.post("/api/tap", {{"text", "找课程"}}).status, 200);
    auto search = app.waitForScreen([](const json& s) { return !viewsOfKind(s, "field").empty(); });
    ASSERT_TRUE(search);
    ASSERT_EQ(app.post("/api/tap", centreOf(viewsOfKind(*search, "field").front())).status, 200);
    ASSERT_EQ(app.post("/api/type", {{"text", "C++ & 税"}}).status, 200);
    ASSERT_EQ(app.post("/api/tap", {{"text", "搜索"}}).status, 200);
    // The service echoes the key it read in its reply, which the app logs.
    EXPECT_TRUE(app.waitForLogLine(R"("searchKey":"C++ & 税")")) << app.get("/api/log?from=0").body.dump();
    EXPECT_TRUE(serviceSaw(app, "mode=7&searchKey=C%2B%2B+%26+%E7%A8%8E&nowPage=1&pageSize=10"));
}

TEST_F(NewsSearchEndToEnd, ASuggestedSearchCategoryShowsItsResultsAndOpensACourse) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_EQ(app.post("/api/tap", {{"text", "找课程"}}).status, 200);
    auto keys = app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "小微企业"); });
    ASSERT_TRUE(keys) << app.screen().dump();
    ASSERT_EQ(app.post("/api/tap", {{"text", "小微企业"}}).status, 200);
    auto results = app.waitForScreen([](const json& s) { return topScreenIs(s, "SearchResultViewCon"); });
    ASSERT_TRUE(results) << app.screen().dump();
    openFirstCourse(app);
    EXPECT_TRUE(serviceSaw(
        app, "mode=7&searchKey=%E5%B0%8F%E5%BE%AE%E4%BC%81%E4%B8%9A&searchId=5&nowPage=1&pageSize=10"));
}

}  // namespace
}  // namespace qelvo::test
