#include "platform/net/URLConnection.h"

#include "tests/net/NetTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::HttpError;
using platform::HttpResponse;
using platform::URLConnection;
using platform::URLRequest;
using qelvo::testing::LoopbackServer;
using qelvo::testing::SilentServer;

class RecordingConnectionDelegate : public platform::URLConnectionDelegate {
public:
    void didReceiveResponse(URLConnection&, const HttpResponse& response) override {
        events.push_back("response " + std::to_string(response.status));
    }
    void didReceiveData(URLConnection&, std::string_view data) override {
        events.push_back("data " + std::string(data));
    }
    void connectionDidFinishLoading(URLConnection&) override { events.push_back("finish"); }
    void didFailWithError(URLConnection&, const HttpError& failure) override {
        events.push_back("fail " + std::to_string(failure.code));
        error = failure;
    }
    bool ended() const {
        return !events.empty() && (events.back() == "finish" || events.back().rfind("fail", 0) == 0);
    }

    std::vector<std::string> events;
    std::optional<HttpError> error;
};

class URLConnectionTest : public qelvo::testing::MainLoopTest {
protected:
    URLRequest requestFor(const std::string& url, double timeout = 20.0) {
        URLRequest request;
        request.url = url;
        request.timeoutInterval = timeout;
        return request;
    }
};

TEST_F(URLConnectionTest, LoadsOnTheMainLoopAndLetsGoWhenDone) {
    LoopbackServer server;
    server.server().Get("/page", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("page", "text/plain");
    });
    server.start();
    auto delegate = std::make_shared<RecordingConnectionDelegate>();
    std::weak_ptr<URLConnection> watched =
        URLConnection::connectionWithRequest(requestFor(server.url("/page")), delegate);

    // Nobody but the load itself holds the connection while it runs.
    ASSERT_FALSE(watched.expired());
    EXPECT_TRUE(watched.lock()->isLoading());
    ASSERT_TRUE(mainLoop().runUntil([&] { return delegate->ended(); }, 20.0));

    EXPECT_EQ(delegate->events, (std::vector<std::string>{"response 200", "data page", "finish"}));
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(delegate.use_count(), 1);
    EXPECT_EQ(mainLoop().pendingTimerCount(), 0u) << "the time-out went with the load";
}

TEST_F(URLConnectionTest, SilentServerTimesOutOnTheLoopClock) {
    auto clock = useManualClock();
    SilentServer silent;
    auto delegate = std::make_shared<RecordingConnectionDelegate>();
    std::weak_ptr<URLConnection> watched =
        URLConnection::connectionWithRequest(requestFor(silent.url("/"), 20.0), delegate);

    clock->advance(19.9);
    EXPECT_TRUE(delegate->events.empty());
    clock->advance(0.2);
    ASSERT_EQ(delegate->events, std::vector<std::string>{"fail -1001"});
    EXPECT_EQ(delegate->error->description, "The request timed out.");
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(platform::HttpSession::shared().activeTransferCount(), 0u)
        << "the timed-out transfer was cancelled";
}

TEST_F(URLConnectionTest, EachSignOfLifeRestartsTheTimeOut) {
    auto clock = useManualClock();
    SilentServer silent;
    auto delegate = std::make_shared<RecordingConnectionDelegate>();
    auto connection = URLConnection::connectionWithRequest(requestFor(silent.url("/"), 20.0), delegate);

    clock->advance(15);
    HttpResponse response;
    response.status = 200;
    connection->deliverResponse(response);
    clock->advance(15);
    connection->deliverData("a");
    clock->advance(19);
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"response 200", "data a"}));
    clock->advance(1.5);
    EXPECT_EQ(delegate->events.back(), "fail -1001");
    EXPECT_FALSE(connection->isLoading());
}

TEST_F(URLConnectionTest, SecondResponseWithinOneLoadIsReportedAgain) {
    useManualClock();
    SilentServer silent;
    auto delegate = std::make_shared<RecordingConnectionDelegate>();
    auto connection = URLConnection::connectionWithRequest(requestFor(silent.url("/")), delegate);

    HttpResponse first;
    first.status = 401;
    HttpResponse second;
    second.status = 200;
    connection->deliverResponse(first);
    connection->deliverData("denied");
    connection->deliverResponse(second);
    connection->deliverData("granted");
    connection->deliverFinish();
    connection->deliverData("late");  // nothing arrives after the load ended

    EXPECT_EQ(delegate->events, (std::vector<std::string>{"response 401", "data denied", "response 200",
                                                          "data granted", "finish"}));
}

TEST_F(URLConnectionTest, CancelledConnectionIsSilentAndReleasesItsDelegate) {
    LoopbackServer server;
    server.server().Get("/page", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("page", "text/plain");
    });
    server.start();
    auto delegate = std::make_shared<RecordingConnectionDelegate>();
    auto connection = URLConnection::connectionWithRequest(requestFor(server.url("/page")), delegate);
    connection->cancel();

    EXPECT_FALSE(connection->isLoading());
    EXPECT_EQ(delegate.use_count(), 1);
    std::weak_ptr<URLConnection> watched = connection;
    connection.reset();
    EXPECT_TRUE(watched.expired());
    mainLoop().runUntil([] { return false; }, 0.2);
    EXPECT_TRUE(delegate->events.empty());
}

TEST_F(URLConnectionTest, RefusedConnectionFails) {
    auto delegate = std::make_shared<RecordingConnectionDelegate>();
    URLConnection::connectionWithRequest(
        requestFor("http://127.0.0.1:" + std::to_string(qelvo::testing::unusedLoopbackPort()) + "/"), delegate);
    ASSERT_TRUE(mainLoop().runUntil([&] { return delegate->ended(); }, 20.0));
    EXPECT_EQ(delegate->events, std::vector<std::string>{"fail -1004"});
}

}  // namespace
