#include "platform/foundation/Json.h"
#include "service/RequestHelp.h"
#include "service/ServiceReply.h"

#include "tests/net/NetTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::HttpError;
using qelvo::testing::LoopbackServer;

constexpr const char* kPath = "/wcm/qelvo/app/index.aspx";

// The service endpoint on loopback: answers each form body with a JSON echo of
// it, or with an HTML error page for "mode=500"; records what it was sent.
class FakeService {
public:
    FakeService() {
        server_.server().Post(kPath, [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                bodies_.push_back(req.body);
                contentTypes_.push_back(req.get_header_value("Content-Type"));
                acceptEncodings_.push_back(req.get_header_value("Accept-Encoding"));
            }
            if (req.body == "mode=500") {
                res.status = 500;
                res.set_content("<html><body>Server Error</body></html>", "text/html");
                return;
            }
            platform::Value reply = {{"result", "0"}, {"echo", req.body}};
            res.set_content(reply.dump(), "application/json");
        });
        server_.start();
    }
    std::string url() const { return server_.url(kPath); }
    std::vector<std::string> bodies() const {
        std::lock_guard lock(mutex_);
        return bodies_;
    }
    std::vector<std::string> contentTypes() const {
        std::lock_guard lock(mutex_);
        return contentTypes_;
    }
    std::vector<std::string> acceptEncodings() const {
        std::lock_guard lock(mutex_);
        return acceptEncodings_;
    }

private:
    LoopbackServer server_;
    mutable std::mutex mutex_;
    std::vector<std::string> bodies_;
    std::vector<std::string> contentTypes_;
    std::vector<std::string> acceptEncodings_;
};

std::string echoOf(const std::string& body) {
    std::optional<platform::Value> reply = ServiceReply::parse(body);
    if (!reply) {
        return "<not json>";
    }
    return platform::Json::stringForKey(*reply, "echo").value_or("<no echo>");
}

class RequestHelpTest : public qelvo::testing::MainLoopTest {
protected:
    std::shared_ptr<RequestHelp> help = std::make_shared<RequestHelp>();
};

TEST_F(RequestHelpTest, PostsTheBodyUnchangedWithOnlyTheFormContentType) {
    FakeService service;
    const std::string body = "mode=7&searchKey=税务 & 发票=一&nowPage=1&pageSize=10";
    std::optional<std::string> reply;
    help->requestWithUrl(
        service.url(), body, [&](const std::string& r) { reply = r; },
        [](const HttpError&) { FAIL() << "no failure expected"; });
    EXPECT_TRUE(help->running());
    ASSERT_TRUE(mainLoop().runUntil([&] { return reply.has_value(); }, 20.0));

    EXPECT_FALSE(help->running());
    ASSERT_EQ(service.bodies(), std::vector<std::string>{body});
    EXPECT_EQ(service.contentTypes(), std::vector<std::string>{"application/x-www-form-urlencoded"});
    EXPECT_EQ(service.acceptEncodings(), std::vector<std::string>{""});
    EXPECT_EQ(echoOf(*reply), body);
}

TEST_F(RequestHelpTest, RequestWhileBusyIsDroppedWithoutAnyCallback) {
    FakeService service;
    std::vector<std::string> calls;
    help->requestWithUrl(
        service.url(), "mode=2", [&](const std::string& r) { calls.push_back("first " + echoOf(r)); },
        [&](const HttpError&) { calls.push_back("first failed"); });
    help->requestWithUrl(
        service.url(), "mode=6", [&](const std::string&) { calls.push_back("second"); },
        [&](const HttpError&) { calls.push_back("second failed"); });
    ASSERT_TRUE(mainLoop().runUntil([&] { return !calls.empty(); }, 20.0));

    // A later request on the same transport shows what the service was sent before.
    help->requestWithUrl(
        service.url(), "mode=3&nowPage=1&pageSize=10",
        [&](const std::string& r) { calls.push_back("third " + echoOf(r)); },
        [&](const HttpError&) { calls.push_back("third failed"); });
    ASSERT_TRUE(mainLoop().runUntil([&] { return calls.size() == 2; }, 20.0));

    EXPECT_EQ(calls, (std::vector<std::string>{"first mode=2", "third mode=3&nowPage=1&pageSize=10"}));
    EXPECT_EQ(service.bodies(), (std::vector<std::string>{"mode=2", "mode=3&nowPage=1&pageSize=10"}));
}

TEST_F(RequestHelpTest, CompletionMayStartTheNextRequestOnTheSameTransport) {
    FakeService service;
    std::vector<std::string> pages;
    help->requestWithUrl(
        service.url(), "mode=3&nowPage=1&pageSize=10",
        [&](const std::string& first) {
            pages.push_back(echoOf(first));
            EXPECT_FALSE(help->running());
            help->requestWithUrl(
                service.url(), "mode=3&nowPage=2&pageSize=10",
                [&](const std::string& second) { pages.push_back(echoOf(second)); },
                [&](const HttpError&) { pages.push_back("failed"); });
            EXPECT_TRUE(help->running());
        },
        [&](const HttpError&) { pages.push_back("failed"); });
    ASSERT_TRUE(mainLoop().runUntil([&] { return pages.size() == 2; }, 20.0));
    EXPECT_EQ(pages,
              (std::vector<std::string>{"mode=3&nowPage=1&pageSize=10", "mode=3&nowPage=2&pageSize=10"}));
}

TEST_F(RequestHelpTest, ServerErrorPageReachesCompletionAndFailsTheReplyTest) {
    FakeService service;
    std::optional<std::string> reply;
    bool failed = false;
    help->requestWithUrl(
        service.url(), "mode=500", [&](const std::string& r) { reply = r; },
        [&](const HttpError&) { failed = true; });
    ASSERT_TRUE(mainLoop().runUntil([&] { return reply.has_value() || failed; }, 20.0));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, "<html><body>Server Error</body></html>");
    std::optional<platform::Value> dict = ServiceReply::parse(*reply);
    EXPECT_FALSE(dict.has_value());
}

TEST_F(RequestHelpTest, RefusedConnectionReachesTheFailureCallback) {
    std::optional<HttpError> error;
    bool completed = false;
    help->requestWithUrl(
        "http://127.0.0.1:" + std::to_string(qelvo::testing::unusedLoopbackPort()) + kPath, "mode=1",
        [&](const std::string&) { completed = true; },
        [&](const HttpError& e) {
            EXPECT_FALSE(help->running());
            error = e;
        });
    ASSERT_TRUE(mainLoop().runUntil([&] { return error.has_value() || completed; }, 20.0));
    EXPECT_FALSE(completed);
    EXPECT_EQ(error->code, HttpError::CannotConnectToHost);
}

TEST_F(RequestHelpTest, SilentServiceTimesOutAfterTwentySeconds) {
    auto clock = useManualClock();
    qelvo::testing::SilentServer silent;
    std::optional<HttpError> error;
    help->requestWithUrl(
        silent.url(kPath), "mode=2", [](const std::string&) {}, [&](const HttpError& e) { error = e; });
    clock->advance(19.5);
    EXPECT_FALSE(error.has_value());
    EXPECT_TRUE(help->running());
    clock->advance(0.5);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, HttpError::TimedOut);
    EXPECT_FALSE(help->running());
}

TEST_F(RequestHelpTest, OnlyTheBodyAfterTheLastResponseIsDelivered) {
    useManualClock();
    qelvo::testing::SilentServer silent;
    std::optional<std::string> reply;
    help->requestWithUrl(
        silent.url(kPath), "mode=2", [&](const std::string& r) { reply = r; }, [](const HttpError&) {});
    std::shared_ptr<platform::URLConnection> connection = help->connection();
    ASSERT_NE(connection, nullptr);

    platform::HttpResponse response;
    response.status = 200;
    connection->deliverResponse(response);
    connection->deliverData("{\"result\":");
    connection->deliverResponse(response);
    connection->deliverData("{\"result\":\"0\",");
    connection->deliverData("\"from\":\"second\"}");
    connection->deliverFinish();

    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, "{\"result\":\"0\",\"from\":\"second\"}");
}

TEST_F(RequestHelpTest, ClearingRunningByHandAbandonsTheLoadInFlight) {
    useManualClock();
    qelvo::testing::SilentServer silent;
    std::vector<std::string> calls;
    help->requestWithUrl(
        silent.url(kPath), "mode=2", [&](const std::string&) { calls.push_back("old done"); },
        [&](const HttpError&) { calls.push_back("old failed"); });
    std::shared_ptr<platform::URLConnection> old = help->connection();
    help->setRunning(false);
    help->requestWithUrl(
        silent.url(kPath), "mode=6", [&](const std::string& r) { calls.push_back("new " + r); },
        [&](const HttpError&) { calls.push_back("new failed"); });
    EXPECT_FALSE(old->isLoading());
    old->deliverData("stale");  // a late event of the abandoned load changes nothing

    std::shared_ptr<platform::URLConnection> current = help->connection();
    platform::HttpResponse response;
    response.status = 200;
    current->deliverResponse(response);
    current->deliverData("fresh");
    current->deliverFinish();
    EXPECT_EQ(calls, std::vector<std::string>{"new fresh"});
}

// A screen that owns its transport, as every screen that talks to the service does.
struct FakeScreen {
    std::shared_ptr<RequestHelp> _dataRequest = std::make_shared<RequestHelp>();
    std::string shown;
};

TEST_F(RequestHelpTest, RequestKeepsItsScreenAliveOnlyUntilTheCallbackRan) {
    FakeService service;
    std::weak_ptr<FakeScreen> watchedScreen;
    std::weak_ptr<RequestHelp> watchedTransport;
    bool called = false;
    {
        auto screen = std::make_shared<FakeScreen>();
        watchedScreen = screen;
        watchedTransport = screen->_dataRequest;
        screen->_dataRequest->requestWithUrl(
            service.url(), "mode=2",
            [screen, &called](const std::string& body) {
                screen->shown = body;
                called = true;
            },
            [screen, &called](const HttpError&) { called = true; });
    }
    // The screen has left every owner; its request still holds it.
    EXPECT_FALSE(watchedScreen.expired());
    ASSERT_TRUE(mainLoop().runUntil([&] { return called; }, 20.0));
    EXPECT_TRUE(watchedScreen.expired());
    EXPECT_TRUE(watchedTransport.expired());
}

TEST_F(RequestHelpTest, FinishedRequestReleasesBothCallbacksOfItsScreen) {
    auto clock = useManualClock();
    qelvo::testing::SilentServer silent;
    auto screen = std::make_shared<FakeScreen>();
    std::weak_ptr<FakeScreen> watched = screen;
    bool failed = false;
    screen->_dataRequest->requestWithUrl(
        silent.url(kPath), "mode=2", [screen](const std::string&) {},
        [screen, &failed](const HttpError&) { failed = true; });
    std::shared_ptr<RequestHelp> transport = screen->_dataRequest;
    screen.reset();
    clock->advance(20.0);
    ASSERT_TRUE(failed);
    EXPECT_TRUE(watched.expired()) << "neither callback kept the screen after the failure";
    EXPECT_EQ(transport.use_count(), 1);
}

}  // namespace
