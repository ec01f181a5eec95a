#include "platform/foundation/Json.h"
#include "tests/device_server/DeviceServerTestSupport.h"

#include <unistd.h>

#include <string>

using platform::DeviceServer;
using platform::DeviceServerRequest;
using platform::DeviceServerResponse;
using platform::RunLoop;
using platform::Value;
using qelvo::testing::connectTo;
using qelvo::testing::DeviceServerFixture;
using qelvo::testing::FakeDeviceOperations;

namespace {

using DeviceServerLifecycleTest = DeviceServerFixture;

bool accepts(const char* address, int port) {
    const int fd = connectTo(address, port);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

TEST_F(DeviceServerLifecycleTest, ListensOnTheLoopbackAddressOnly) {
    EXPECT_TRUE(accepts("127.0.0.1", server.port()));
    // Another address of the loopback network reaches every socket bound to all
    // addresses, but not one bound to 127.0.0.1.
    EXPECT_FALSE(accepts("127.0.0.2", server.port()));
}

TEST_F(DeviceServerLifecycleTest, APortInUseFailsTheStartWithOneLogLine) {
    FakeDeviceOperations otherOperations;
    DeviceServer other(otherOperations);
    const std::size_t before = platform::Log::shared().lineCount();
    EXPECT_FALSE(other.start(server.port()));
    EXPECT_EQ(other.port(), 0);
    EXPECT_FALSE(other.isRunning());
    std::size_t next = 0;
    const auto lines = platform::Log::shared().linesFrom(before, &next);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("127.0.0.1:" + std::to_string(server.port())), std::string::npos) << lines[0];

    EXPECT_FALSE(other.start(-1));
    EXPECT_FALSE(other.start(65536));
    EXPECT_FALSE(server.start(0)) << "already serving";
    EXPECT_TRUE(accepts("127.0.0.1", server.port())) << "the first server goes on";
}

TEST_F(DeviceServerLifecycleTest, StopClosesThePortIsSafeTwiceAndTheServerCanStartAgain) {
    const int first = server.port();
    server.stop();
    EXPECT_EQ(server.port(), 0);
    EXPECT_FALSE(accepts("127.0.0.1", first));
    server.stop();

    ASSERT_TRUE(server.start(first)) << "the port is free again at once";
    EXPECT_EQ(server.port(), first);
    const auto answer = post("/api/back", "{}");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);

    int third = 0;
    {
        FakeDeviceOperations otherOperations;
        DeviceServer scoped(otherOperations);
        ASSERT_TRUE(scoped.start(0));
        third = scoped.port();
        EXPECT_TRUE(accepts("127.0.0.1", third));
    }
    EXPECT_FALSE(accepts("127.0.0.1", third)) << "the destructor stops";
}

TEST_F(DeviceServerLifecycleTest, QuitAnswersFirstAndRunsTheOperationAfterwardsOnTheMainLoop) {
    // Sent from this thread: the main loop cannot run anything until it is pumped.
    auto c = client();
    const auto answer = c.Post("/api/quit", R"({"reason": "done"})", "application/json");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_EQ(jsonOf(answer), Value::object());
    EXPECT_EQ(operations.callCount(), 0u) << "the answer came before the operation";

    ASSERT_TRUE(RunLoop::main().runUntil([&] { return operations.callCount() == 1; }, 30.0));
    const auto call = operations.calls().front();
    EXPECT_EQ(call.name, "quit");
    EXPECT_EQ(call.body, (Value{{"reason", "done"}}));
    EXPECT_TRUE(call.onMainLoop);

    const auto empty = c.Post("/api/quit", "", "application/json");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->status, 200);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return operations.callCount() == 2; }, 30.0));
    EXPECT_EQ(operations.calls().back().body, Value::object());
}

TEST_F(DeviceServerLifecycleTest, ACallTheMainLoopDoesNotTakeInTimeAnswers503AndNeverRunsLater) {
    server.setCallTimeout(std::chrono::milliseconds(50));
    auto c = client();  // this thread never pumps the loop while waiting
    const auto answer = c.Post("/api/tap", R"({"x": 1, "y": 1})", "application/json");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 503);
    EXPECT_TRUE(jsonOf(answer).contains("error"));
    const auto screen = c.Get("/api/screen");
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->status, 503);

    RunLoop::main().runPending();
    EXPECT_EQ(operations.callCount(), 0u) << "given-up calls must not act later";

    // A loop that runs again answers again.
    const auto later = post("/api/tap", R"({"x": 2, "y": 2})");
    ASSERT_TRUE(later);
    EXPECT_EQ(later->status, 200);
    EXPECT_EQ(operations.callCount(), 1u);
}

TEST_F(DeviceServerLifecycleTest, AnOperationThatStopsTheServerDoesNotDeadlock) {
    // The app's terminate event may shut the device server down from inside the call.
    operations.setAction("app", [&] { server.stop(); });
    const auto answer = post("/api/app", R"({"event": "terminate"})");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 503);
    EXPECT_EQ(server.port(), 0);
    EXPECT_EQ(operations.callCount(), 1u);
}

TEST(DeviceServerRoutes, RoutesAddedBeforeStartAreServedAndTheTableIsFixedWhileServing) {
    RunLoop::main().reset();
    RunLoop::main().adoptCurrentThread();
    platform::Log::shared().setEcho(false);
    FakeDeviceOperations operations;
    DeviceServer server(operations);

    EXPECT_TRUE(server.addRoute("GET", "/", [](const DeviceServerRequest& request) {
        return DeviceServerResponse{
            200, "text/html; charset=utf-8", "<p>" + request.query.at("q") + "</p>", {}};
    }));
    EXPECT_FALSE(server.addRoute("GET", "/", [](const DeviceServerRequest&) {
        return DeviceServerResponse{};
    })) << "one handler per route";
    EXPECT_FALSE(server.addRoute("GET", "/api/screen",
                                 [](const DeviceServerRequest&) { return DeviceServerResponse{}; }));
    ASSERT_TRUE(server.start(0));
    EXPECT_FALSE(
        server.addRoute("GET", "/events", [](const DeviceServerRequest&) { return DeviceServerResponse{}; }));

    httplib::Client c("127.0.0.1", server.port());
    const auto page = c.Get("/?q=hello");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "<p>hello</p>");
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    const auto events = c.Get("/events");
    ASSERT_TRUE(events);
    EXPECT_EQ(events->status, 404);
    server.stop();
}

}  // namespace
