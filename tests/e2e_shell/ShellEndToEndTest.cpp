// The app and the demo service as separate processes, driven only through the
// device API, as a person or a test script would.

#include "tests/support/RunningApp.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace qelvo::test {
namespace {

using nlohmann::json;

RunningApp::Paths paths() {
    return {QELVO_APP_BIN, QELVO_DEMO_SERVICE_BIN, std::string(QELVO_SOURCE_DIR) + "/demo-service/data"};
}

// The centre of the first view of that kind showing exactly that text.
std::optional<json> viewOf(const json& screen, const std::string& kind, const std::string& text) {
    for (const auto& view : screen["views"]) {
        if (view["kind"] == kind && view.value("text", "") == text) {
            return view;
        }
    }
    return std::nullopt;
}

json centreOf(const json& view) {
    const auto& f = view["frame"];
    return json{{"x", f[0].get<double>() + f[2].get<double>() / 2},
                {"y", f[1].get<double>() + f[3].get<double>() / 2}};
}

class ShellEndToEnd : public ::testing::Test {
protected:
    // Opens the login screen from the student centre, types both texts and taps 登录.
    static void logIn(RunningApp& app, const std::string& userName, const std::string& password) {
        ASSERT_EQ(app.post("/api/tap", {{"text", "学员中心"}}).status, 200);
        auto centre = app.waitForScreen([](const json& s) { return s["tab"] == 4; });
        ASSERT_TRUE(centre);
        auto row = viewOf(*centre, "cell", "登录");
        ASSERT_TRUE(row) << centre->dump();
        ASSERT_EQ(app.post("/api/tap", centreOf(*row)).status, 200);
        auto login = app.waitForScreen([](const json& s) { return s["screens"].back() == "LoginViewCon"; });
        ASSERT_TRUE(login);

        for (const auto& [placeholder, text] : {std::pair{"用户名", userName}, std::pair{"密码", password}}) {
            std::optional<json> field;
            for (const auto& view : (*login)["views"]) {
                if (view["kind"] == "field" && view["placeholder"] == placeholder) {
                    field = view;
                }
            }
            ASSERT_TRUE(field) << placeholder;
            ASSERT_EQ(app.post("/api/tap", centreOf(*field)).status, 200);
            auto typed = app.post("/api/type", {{"text", text}});
            ASSERT_EQ(typed.status, 200) << typed.body.dump();
        }
        auto button = viewOf(app.screen(), "button", "登录");
        ASSERT_TRUE(button);
        ASSERT_EQ(app.post("/api/tap", centreOf(*button)).status, 200);
    }

    static bool toasted(RunningApp& app, const std::string& text) {
        return app
            .waitForScreen([&](const json& s) {
                return std::find(s["toasts"].begin(), s["toasts"].end(), text) != s["toasts"].end();
            })
            .has_value();
    }

    TempContainer container;
};

TEST_F(ShellEndToEnd, LaunchShowsFiveTabsWithHomeSelectedAndReportsUsage) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    json screen = app.screen();
    EXPECT_EQ(screen["tab"], 0);
    EXPECT_EQ(screen["screens"], json::array({"MainViewCon"}));
    std::vector<std::string> tabs;
    for (const auto& view : screen["views"]) {
        if (view["kind"] == "tab") {
            tabs.push_back(view["text"]);
            EXPECT_EQ(view["selected"], view["text"] == "首页");
        }
    }
    EXPECT_EQ(tabs, (std::vector<std::string>{"首页", "微课程", "资讯", "找课程", "学员中心"}));

    bool reported = false;
    for (int attempt = 0; attempt < 100 && !reported; ++attempt) {
        const json requests = app.serviceRequests();
        for (const auto& request : requests["requests"]) {
            reported = reported || request.value("body", "") == "mode=1";
        }
        if (!reported) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    EXPECT_TRUE(reported) << "the demo service saw no mode=1";
    // The service has the request before the app has its answer.
    EXPECT_TRUE(app.waitForLogLine("统计发送结果: 0")) << app.get("/api/log?from=0").body.dump();
}

TEST_F(ShellEndToEnd, LoggingInFromTheStudentCentreShowsLogoutAndTheNameAndSurvivesARestart) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_NO_FATAL_FAILURE(logIn(app, "demo", "qelvo123"));
    EXPECT_TRUE(toasted(app, "登录成功")) << "no 登录成功 toast";
    auto back = app.waitForScreen([](const json& s) {
        return s["screens"] == json::array({"StuCenterViewCon"}) && RunningApp::showsText(s, "退出登录") &&
               RunningApp::showsText(s, "demo");
    });
    ASSERT_TRUE(back) << app.screen().dump();

    ASSERT_TRUE(app.restartApp()) << app.failure();
    app.post("/api/tap", {{"text", "学员中心"}});
    auto again = app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "退出登录"); });
    EXPECT_TRUE(again) << "the session survives a restart: " << app.screen().dump();
}

// A password holding "&", "=", "+", "%" and a space reaches the service as typed; the
// log shows the body as sent, the password masked.
TEST_F(ShellEndToEnd, APasswordWithReservedCharactersLogsIn) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_NO_FATAL_FAILURE(logIn(app, "symbols", "a&b=c+d 100%"));
    EXPECT_TRUE(toasted(app, "登录成功")) << app.screen().dump();
    EXPECT_TRUE(app.waitForScreen([](const json& s) {
        return RunningApp::showsText(s, "退出登录") && RunningApp::showsText(s, "symbols");
    })) << app.screen().dump();
    EXPECT_TRUE(app.waitForLogLine("postStr is: mode=8&userName=symbols&password=******"));
    const json requests = app.serviceRequests();
    std::vector<std::string> logins;
    for (const auto& request : requests["requests"]) {
        const std::string body = request.value("body", "");
        if (body.rfind("mode=8", 0) == 0) logins.push_back(body);
    }
    EXPECT_EQ(logins, std::vector<std::string>{"mode=8&userName=symbols&password=a%26b%3Dc%2Bd+100%25"});
}

TEST_F(ShellEndToEnd, LoggingOutAndRestartingStartsLoggedOut) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    // Log in quickly through the same screens.
    app.post("/api/tap", {{"text", "学员中心"}});
    app.waitForScreen([](const json& s) { return s["tab"] == 4; });
    app.post("/api/tap", {{"text", "登录"}});
    app.waitForScreen([](const json& s) { return s["screens"].back() == "LoginViewCon"; });
    app.post("/api/tap", {{"x", 160}, {"y", 115}});
    app.post("/api/type", {{"text", "student"}});
    app.post("/api/tap", {{"x", 160}, {"y", 170}});
    app.post("/api/type", {{"text", "study2024"}});
    app.post("/api/key", {{"key", "return"}});
    auto button = viewOf(app.screen(), "button", "登录");
    ASSERT_TRUE(button);
    app.post("/api/tap", centreOf(*button));
    ASSERT_TRUE(app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "退出登录"); }));

    ASSERT_EQ(app.post("/api/tap", {{"text", "退出登录"}}).status, 200);
    auto asked = app.waitForScreen([](const json& s) { return !s["alert"].is_null(); });
    ASSERT_TRUE(asked);
    EXPECT_EQ((*asked)["alert"]["message"], "您确定要退出登录吗?");
    ASSERT_EQ(app.post("/api/alert", {{"button", 1}}).status, 200);
    EXPECT_TRUE(app.waitForScreen([](const json& s) {
        return s["alert"].is_null() && !RunningApp::showsText(s, "退出登录") &&
               RunningApp::showsText(s, "登录");
    }));

    EXPECT_EQ(app.quitApp(), 0) << "the quit call ends the app cleanly";
    ASSERT_TRUE(app.restartApp()) << app.failure();
    app.post("/api/tap", {{"text", "学员中心"}});
    auto after = app.waitForScreen([](const json& s) { return s["tab"] == 4; });
    ASSERT_TRUE(after);
    EXPECT_FALSE(RunningApp::showsText(*after, "退出登录"));
    EXPECT_FALSE(RunningApp::showsText(*after, "student"));
}

TEST_F(ShellEndToEnd, BadCallsAreRefusedAndTheAppKeepsRunning) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    EXPECT_EQ(app.post("/api/tap", {{"text", "no such text"}}).status, 404);
    EXPECT_EQ(app.post("/api/type", {{"text", "x"}}).status, 409);
    EXPECT_EQ(app.post("/api/alert", {{"button", 0}}).status, 409);
    EXPECT_EQ(app.post("/api/app", {{"event", "explode"}}).status, 400);
    EXPECT_EQ(app.post("/api/network", {{"status", "5g"}}).status, 400);
    EXPECT_EQ(app.post("/api/link", {{"url", "http://example.com/"}}).status, 409);
    EXPECT_EQ(app.post("/api/swipe", {{"from", {10, 10}}, {"to", {12, 12}}}).status, 400);
    EXPECT_EQ(app.get("/api/nothing").status, 404);
    auto answer = app.post("/api/app", {{"event", "memoryWarning"}});
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(app.post("/api/network", {{"status", "cellular"}}).status, 200);
    EXPECT_EQ(app.screen()["screens"], json::array({"MainViewCon"}));
}

}  // namespace
}  // namespace qelvo::test
