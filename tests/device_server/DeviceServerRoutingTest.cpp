#include "platform/foundation/Json.h"
#include "tests/device_server/DeviceServerTestSupport.h"

#include <stdexcept>
#include <string>
#include <vector>

using platform::DeviceReply;
using platform::Value;

namespace {

using DeviceServerRoutingTest = qelvo::testing::DeviceServerFixture;

TEST_F(DeviceServerRoutingTest, EveryCallReachesItsOperationOnTheMainLoopWithItsBody) {
    const std::vector<std::string> posts = {"tap",   "drag", "swipe", "type", "key",
                                            "alert", "link", "back",  "app",  "network"};
    for (const auto& name : posts) {
        const Value body = {{"operation", name}, {"text", "税务"}, {"from", {160, 200}}};
        const auto result = post("/api/" + name, body.dump());
        ASSERT_TRUE(result) << name;
        EXPECT_EQ(result->status, 200) << name;
        EXPECT_EQ(result->get_header_value("Content-Type"), "application/json; charset=utf-8") << name;
        EXPECT_EQ(jsonOf(result), (Value{{"called", name}})) << name;
        ASSERT_EQ(operations.calls().back().name, name);
        EXPECT_EQ(operations.calls().back().body, body) << name;
        EXPECT_TRUE(operations.calls().back().onMainLoop) << name;
    }
    for (const std::string name : {"screen", "tree"}) {
        const auto result = get("/api/" + name);
        ASSERT_TRUE(result) << name;
        EXPECT_EQ(jsonOf(result), (Value{{"called", name}}));
        EXPECT_TRUE(operations.calls().back().onMainLoop);
    }
    EXPECT_EQ(operations.callCount(), posts.size() + 2);
}

TEST_F(DeviceServerRoutingTest, TheOperationsReplyBecomesTheAnswerAndAThrowAnswers500) {
    operations.setReply("tap", DeviceReply::error(404, "没有显示 登录 的视图"));
    operations.setReply("screen",
                        DeviceReply::ok({{"tab", 2}, {"toasts", {"登录成功"}}, {"alert", nullptr}}));
    operations.setAction("key", [] { throw std::runtime_error("no focused field"); });

    const auto tapped = post("/api/tap", R"({"text": "登录"})");
    ASSERT_TRUE(tapped);
    EXPECT_EQ(tapped->status, 404);
    EXPECT_EQ(jsonOf(tapped), (Value{{"error", "没有显示 登录 的视图"}}));

    const auto screen = get("/api/screen");
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->status, 200);
    EXPECT_EQ(jsonOf(screen), (Value{{"tab", 2}, {"toasts", {"登录成功"}}, {"alert", nullptr}}));
    EXPECT_NE(screen->body.find("登录成功"), std::string::npos) << "UTF-8 as it is, not \\u escapes";

    const auto thrown = post("/api/key", R"({"key": "return"})");
    ASSERT_TRUE(thrown);
    EXPECT_EQ(thrown->status, 500);
    EXPECT_TRUE(jsonOf(thrown).contains("error"));
    EXPECT_EQ(post("/api/back", "{}")->status, 200) << "the server goes on";
}

TEST_F(DeviceServerRoutingTest, AnEmptyBodyIsAnEmptyObjectAndOneThatIsNoObjectAnswers400) {
    for (const std::string body : {"", "  \r\n"}) {
        EXPECT_EQ(post("/api/back", body)->status, 200);
        EXPECT_EQ(operations.calls().back().body, Value::object());
    }
    const std::vector<std::string> bad = {"not json", "{\"x\": 1", "[1, 2]", "\"text\"",
                                          "42",       "null",      "{} {}",  "{\"text\": \"\xff\xfe\"}"};
    for (const auto& body : bad) {
        const auto result = post("/api/tap", body);
        ASSERT_TRUE(result) << body;
        EXPECT_EQ(result->status, 400) << body;
        EXPECT_TRUE(jsonOf(result).value("error", Value()).is_string()) << result->body;
    }
    EXPECT_EQ(post("/api/quit", "[]")->status, 400);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(operations.callCount(), 2u) << "only the empty bodies reached an operation";
}

TEST_F(DeviceServerRoutingTest, UnknownCallsAnswer404AndWrongMethods405NamingTheRightOne) {
    for (const std::string path : {"/index", "/api/nothing", "/api/tap/", "/api/TAP"}) {
        const auto got = get(path);
        ASSERT_TRUE(got) << path;
        EXPECT_EQ(got->status, 404) << path;
        EXPECT_TRUE(jsonOf(got).contains("error")) << path;
        EXPECT_EQ(post(path, "{}")->status, 404) << path;
    }
    const auto getTap = get("/api/tap");
    ASSERT_TRUE(getTap);
    EXPECT_EQ(getTap->status, 405);
    EXPECT_EQ(getTap->get_header_value("Allow"), "POST");
    EXPECT_TRUE(jsonOf(getTap).contains("error"));
    const auto postScreen = post("/api/screen", "{}");
    EXPECT_EQ(postScreen->status, 405);
    EXPECT_EQ(postScreen->get_header_value("Allow"), "GET");
    EXPECT_EQ(post("/api/log", "{}")->status, 405);
    EXPECT_EQ(send([](httplib::Client& c) { return c.Delete("/api/tap"); })->status, 405);
    EXPECT_EQ(operations.callCount(), 0u);
}

TEST_F(DeviceServerRoutingTest, TheLogCallAnswersFromTheLogWithoutTheMainLoopAndLogsNothing) {
    auto& log = platform::Log::shared();
    log.clear();
    log.write("first line");
    log.write("第二行");
    const std::size_t end = log.lineCount();
    auto c = client();  // sent from this thread, which does not pump the main loop
    const auto from = [&](const std::string& query) { return jsonOf(c.Get(("/api/log" + query).c_str())); };

    EXPECT_EQ(from(""), (Value{{"lines", {"first line", "第二行"}}, {"next", end}}));
    EXPECT_EQ(from("?from=" + std::to_string(end - 1)), (Value{{"lines", {"第二行"}}, {"next", end}}));
    EXPECT_EQ(from("?from=" + std::to_string(end + 5)), (Value{{"lines", Value::array()}, {"next", end}}));
    for (const std::string bad : {"abc", "-1", "", "1x", "1.5", "99999999999999999999999"}) {
        const auto answer = c.Get(("/api/log?from=" + bad).c_str());
        ASSERT_TRUE(answer) << bad;
        EXPECT_EQ(answer->status, 400) << bad;
        EXPECT_TRUE(jsonOf(answer).contains("error")) << bad;
    }
    EXPECT_EQ(post("/api/tap", "{}")->status, 200);
    EXPECT_EQ(log.lineCount(), end) << "no log line per request";
}

}  // namespace
