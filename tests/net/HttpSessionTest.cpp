#include "platform/net/HttpSession.h"
#include "tests/support/CpuTime.h"

#include "tests/net/NetTestSupport.h"
#include "tests/net/RecordingTaskDelegate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::HttpError;
using platform::HttpRequest;
using platform::HttpSession;
using qelvo::testing::LoopbackServer;
using qelvo::testing::RecordingTaskDelegate;

// Waits up to 20 seconds for the network thread to reach a point, without running the
// main loop (which would deliver the events a test holds back).
bool reachedWithoutTheLoop(const std::function<bool()>& reached) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!reached()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

class HttpSessionTest : public qelvo::testing::MainLoopTest {
protected:
    std::shared_ptr<RecordingTaskDelegate> start(HttpRequest request, platform::HttpTaskId* id = nullptr) {
        auto delegate = std::make_shared<RecordingTaskDelegate>();
        platform::HttpTaskId started = HttpSession::shared().start(std::move(request), delegate);
        if (id != nullptr) {
            *id = started;
        }
        return delegate;
    }
    HttpRequest get(const std::string& url) {
        HttpRequest request;
        request.url = url;
        return request;
    }
    bool waitForEnd(const RecordingTaskDelegate& delegate) {
        return mainLoop().runUntil([&] { return delegate.ended(); }, 20.0);
    }
};

TEST_F(HttpSessionTest, GetDeliversResponseThenBodyThenFinish) {
    LoopbackServer server;
    server.server().Get("/hello", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("X-Greeting", "yes");
        res.set_content("hello world", "text/plain");
    });
    server.start();

    auto delegate = start(get(server.url("/hello")));
    ASSERT_TRUE(waitForEnd(*delegate));

    ASSERT_EQ(delegate->responses.size(), 1u);
    const platform::HttpResponse& response = delegate->responses[0];
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.url, server.url("/hello"));
    ASSERT_NE(response.header("x-greeting"), nullptr);
    EXPECT_EQ(*response.header("x-greeting"), "yes");
    EXPECT_EQ(response.expectedContentLength(), 11);
    EXPECT_EQ(delegate->body, "hello world");
    EXPECT_EQ(delegate->events.front(), "response");
    EXPECT_EQ(delegate->events.back(), "finish");
    EXPECT_EQ(HttpSession::shared().activeTransferCount(), 0u);
}

TEST_F(HttpSessionTest, RequestCarriesMethodBodyAndHeadersAsGiven) {
    LoopbackServer server;
    std::mutex mutex;
    httplib::Request seen;
    auto record = [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(mutex);
        seen = req;
        res.set_content("ok", "text/plain");
    };
    server.server().Post("/form", record);
    server.server().Put("/form", record);
    server.start();

    HttpRequest request = get(server.url("/form"));
    request.method = "POST";
    request.body = std::string(4000, 'a') + "&b=c";
    request.headers = {{"Content-Type", "text/x-test"}, {"X-Trace", "42"}};
    auto delegate = start(request);
    ASSERT_TRUE(waitForEnd(*delegate));
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(seen.method, "POST");
        EXPECT_EQ(seen.body, request.body);
        EXPECT_EQ(seen.get_header_value("Content-Type"), "text/x-test");
        EXPECT_EQ(seen.get_header_value("X-Trace"), "42");
        // No compression is offered and no "100-continue" round trip is asked for.
        EXPECT_FALSE(seen.has_header("Accept-Encoding"));
        EXPECT_FALSE(seen.has_header("Expect"));
    }

    request.method = "PUT";
    request.body = "replacement";
    auto putDelegate = start(request);
    ASSERT_TRUE(waitForEnd(*putDelegate));
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen.method, "PUT");
    EXPECT_EQ(seen.body, "replacement");
}

TEST_F(HttpSessionTest, CompressedBodyIsDeliveredAsSent) {
    LoopbackServer server;
    const std::string raw("\x1f\x8b\x08\x00not-really-gzip", 19);
    server.server().Get("/zipped", [&](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Encoding", "gzip");
        res.set_content(raw, "application/octet-stream");
    });
    server.start();
    auto delegate = start(get(server.url("/zipped")));
    ASSERT_TRUE(waitForEnd(*delegate));
    EXPECT_EQ(delegate->events.back(), "finish");
    EXPECT_EQ(delegate->body, raw);
}

class RedirectTest : public HttpSessionTest {
protected:
    void SetUp() override {
        HttpSessionTest::SetUp();
        auto redirect = [](const std::string& to, int status) {
            return [to, status](const httplib::Request&, httplib::Response& res) {
                res.status = status;
                res.set_header("Location", to);
                res.set_content("moved elsewhere", "text/plain");
            };
        };
        server.server().Get("/start", redirect("/middle", 302));
        server.server().Get("/middle", redirect("/end", 301));
        server.server().Get("/end", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("final", "text/plain");
        });
        server.server().Get("/loop", redirect("/loop", 302));
        server.start();
    }
    LoopbackServer server;
};

TEST_F(RedirectTest, FollowedRedirectsAreNotReported) {
    auto delegate = start(get(server.url("/start")));
    ASSERT_TRUE(waitForEnd(*delegate));
    ASSERT_EQ(delegate->responses.size(), 1u);
    EXPECT_EQ(delegate->responses[0].status, 200);
    EXPECT_EQ(delegate->responses[0].url, server.url("/end"));
    EXPECT_EQ(delegate->body, "final");
    EXPECT_EQ(delegate->events.back(), "finish");
}

TEST_F(RedirectTest, UnfollowedRedirectIsAnOrdinaryResponse) {
    HttpRequest request = get(server.url("/start"));
    request.followRedirects = false;
    auto delegate = start(request);
    ASSERT_TRUE(waitForEnd(*delegate));
    ASSERT_EQ(delegate->responses.size(), 1u);
    EXPECT_EQ(delegate->responses[0].status, 302);
    ASSERT_NE(delegate->responses[0].header("Location"), nullptr);
    EXPECT_EQ(*delegate->responses[0].header("Location"), "/middle");
    EXPECT_EQ(delegate->body, "moved elsewhere");
    EXPECT_EQ(delegate->events.back(), "finish");
}

TEST_F(RedirectTest, EndlessRedirectsFailWithTooManyRedirects) {
    HttpRequest request = get(server.url("/loop"));
    request.maxRedirects = 3;
    auto delegate = start(request);
    ASSERT_TRUE(waitForEnd(*delegate));
    ASSERT_TRUE(delegate->error.has_value());
    EXPECT_EQ(delegate->error->code, HttpError::HTTPTooManyRedirects);
    EXPECT_EQ(delegate->error->description, "too many HTTP redirects");
    EXPECT_TRUE(delegate->responses.empty());
}

TEST_F(HttpSessionTest, InterimResponsesAreSkippedAndTrailersAreNoHeaders) {
    qelvo::testing::ScriptedServer server(
        "HTTP/1.1 100 Continue\r\n\r\n"
        "HTTP/1.1 203 Partial Truth\r\n"
        "Transfer-Encoding: chunked\r\n"
        "X-Folded: first\r\n"
        "  second\r\n"
        "\r\n"
        "5\r\nhello\r\n0\r\n"
        "X-Trailer: late\r\n"
        "\r\n");
    auto delegate = start(get(server.url("/")));
    ASSERT_TRUE(waitForEnd(*delegate));
    ASSERT_EQ(delegate->responses.size(), 1u);
    const platform::HttpResponse& response = delegate->responses[0];
    EXPECT_EQ(response.status, 203);
    ASSERT_NE(response.header("X-Folded"), nullptr);
    EXPECT_EQ(*response.header("X-Folded"), "first second");
    EXPECT_EQ(response.header("X-Trailer"), nullptr);
    EXPECT_EQ(delegate->body, "hello");
    EXPECT_EQ(delegate->events.back(), "finish");
}

TEST_F(HttpSessionTest, RefusedConnectionFailsWithCannotConnect) {
    const int port = qelvo::testing::unusedLoopbackPort();
    auto delegate = start(get("http://127.0.0.1:" + std::to_string(port) + "/"));
    ASSERT_TRUE(waitForEnd(*delegate));
    ASSERT_EQ(delegate->events, std::vector<std::string>{"fail"});
    EXPECT_EQ(delegate->error->code, HttpError::CannotConnectToHost);
    EXPECT_EQ(delegate->error->description, "Could not connect to the server.");
}

TEST_F(HttpSessionTest, ConnectionDroppedInsideTheBodyFailsWithConnectionLost) {
    LoopbackServer server;
    server.server().Get("/short", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(100, "text/plain", [](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset > 0) {
                return false;  // hangs up after 10 of 100 bytes
            }
            sink.write("0123456789", 10);
            return true;
        });
    });
    server.start();
    auto delegate = start(get(server.url("/short")));
    ASSERT_TRUE(waitForEnd(*delegate));
    ASSERT_TRUE(delegate->error.has_value());
    EXPECT_EQ(delegate->error->code, HttpError::NetworkConnectionLost);
    EXPECT_EQ(delegate->error->description, "The network connection was lost.");
}

TEST_F(HttpSessionTest, UnsupportedSchemeFailsWithUnsupportedURL) {
    auto delegate = start(get("ftp://127.0.0.1/file"));
    ASSERT_TRUE(waitForEnd(*delegate));
    ASSERT_TRUE(delegate->error.has_value());
    EXPECT_EQ(delegate->error->code, HttpError::UnsupportedURL);
}

// Page, picture and video addresses come from the service and its pages: only http and
// https are spoken, so a file address, or a redirect to one, reads nothing of the machine.
TEST_F(HttpSessionTest, AFileAddressOrARedirectToOneFailsAndReadsNothing) {
    const std::string secret = ::testing::TempDir() + "qelvo-net-secret-" + std::to_string(::getpid());
    std::ofstream(secret) << "root:x:0:0 secret bytes";
    LoopbackServer server;
    server.server().Get("/moved", [&](const httplib::Request&, httplib::Response& res) {
        res.status = 302;
        res.set_header("Location", "file://" + secret);
        res.set_content("moved", "text/plain");
    });
    server.start();

    for (const std::string& url :
         {"file://" + secret, "FILE://" + secret, "file://localhost" + secret, server.url("/moved")}) {
        auto delegate = start(get(url));
        ASSERT_TRUE(waitForEnd(*delegate)) << url;
        EXPECT_EQ(delegate->events.back(), "fail") << url;
        ASSERT_TRUE(delegate->error.has_value()) << url;
        EXPECT_EQ(delegate->error->code, HttpError::UnsupportedURL) << url;
        EXPECT_EQ(delegate->body.find("secret"), std::string::npos) << url;
        for (const auto& response : delegate->responses)
            EXPECT_EQ(response.url.find("file:"), std::string::npos) << url;
    }
    std::remove(secret.c_str());
}

TEST_F(HttpSessionTest, CancelStopsEveryLaterEventAndReleasesTheDelegate) {
    LoopbackServer server;
    server.server().Get("/stream", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
            if (!sink.write("chunk", 5)) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return true;
        });
    });
    server.start();

    platform::HttpTaskId id = 0;
    std::weak_ptr<RecordingTaskDelegate> watched;
    auto chunksSeen = std::make_shared<int>(0);
    {
        auto delegate = start(get(server.url("/stream")), &id);
        watched = delegate;
        delegate->onData = [chunksSeen] { ++*chunksSeen; };
        ASSERT_TRUE(mainLoop().runUntil([&] { return *chunksSeen > 0; }, 20.0));
        HttpSession::shared().cancel(id);
    }
    EXPECT_TRUE(watched.expired()) << "the session let go of the cancelled delegate";
    EXPECT_EQ(HttpSession::shared().activeTransferCount(), 0u);

    // The server goes on streaming; nothing of it, not even data that was already
    // queued when cancel() ran, reaches the delegate.
    const int seenAtCancel = *chunksSeen;
    mainLoop().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(*chunksSeen, seenAtCancel);
}

TEST_F(HttpSessionTest, CancelAfterTheReplyWasQueuedDeliversNothing) {
    LoopbackServer server;
    std::atomic<int> answered{0};
    server.server().Get("/quick", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content("quick", "text/plain");
        ++answered;
    });
    server.start();

    platform::HttpTaskId id = 0;
    const auto ended = HttpSession::shared().networkProgress().ended;
    auto delegate = start(get(server.url("/quick")), &id);
    // The main loop does not run, so the window stays open: the network thread finishes
    // the transfer and queues every event, and nothing is delivered yet.
    ASSERT_TRUE(reachedWithoutTheLoop([&] { return HttpSession::shared().networkProgress().ended > ended; }));
    ASSERT_EQ(answered.load(), 1);
    HttpSession::shared().cancel(id);
    // Every event was queued before the cancel: running what is queued delivers them, or nothing.
    mainLoop().runPending();
    EXPECT_TRUE(delegate->events.empty());
    EXPECT_EQ(delegate.use_count(), 1) << "only the test still holds the delegate";
}

TEST_F(HttpSessionTest, CancelFromInsideACallbackEndsTheTransferThere) {
    LoopbackServer server;
    server.server().Get("/body", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(200000, 'z'), "text/plain");
    });
    server.start();
    platform::HttpTaskId id = 0;
    std::weak_ptr<RecordingTaskDelegate> watched;
    {
        auto delegate = start(get(server.url("/body")), &id);
        watched = delegate;
        delegate->onData = [&] { HttpSession::shared().cancel(id); };
    }
    ASSERT_TRUE(mainLoop().runUntil([&] { return watched.expired(); }, 20.0));
    EXPECT_EQ(HttpSession::shared().activeTransferCount(), 0u);
}

TEST_F(HttpSessionTest, DelegateIsReleasedOnTheDeliveryThread) {
    LoopbackServer server;
    server.server().Get(
        "/x", [](const httplib::Request&, httplib::Response& res) { res.set_content("x", "text/plain"); });
    server.start();
    std::thread::id releasedOn;
    std::weak_ptr<RecordingTaskDelegate> watched;
    {
        auto delegate = start(get(server.url("/x")));
        delegate->reportDestructionTo(&releasedOn);
        watched = delegate;
    }
    ASSERT_TRUE(mainLoop().runUntil([&] { return watched.expired(); }, 20.0));
    EXPECT_EQ(releasedOn, std::this_thread::get_id());
}

TEST_F(HttpSessionTest, ManyConcurrentTransfersEachGetTheirOwnBody) {
    qelvo::testing::PathEchoServer server(1000);
    constexpr int kTransfers = 40;
    std::vector<std::shared_ptr<RecordingTaskDelegate>> delegates;
    delegates.reserve(kTransfers);
    for (int i = 0; i < kTransfers; ++i) {
        delegates.push_back(start(get(server.url("/item/" + std::to_string(i)))));
    }
    ASSERT_TRUE(mainLoop().runUntil(
        [&] {
            for (const auto& delegate : delegates) {
                if (!delegate->ended()) {
                    return false;
                }
            }
            return true;
        },
        60.0));
    for (int i = 0; i < kTransfers; ++i) {
        EXPECT_EQ(delegates[i]->events.back(), "finish") << i;
        EXPECT_EQ(delegates[i]->body, "/item/" + std::to_string(i) + std::string(1000, '.')) << i;
    }
    EXPECT_EQ(HttpSession::shared().activeTransferCount(), 0u);
}

TEST_F(HttpSessionTest, IdleNetworkThreadDoesNotPoll) {
    {
        LoopbackServer server;
        server.server().Get("/x", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("x", "text/plain");
        });
        server.start();
        auto delegate = start(get(server.url("/x")));
        ASSERT_TRUE(waitForEnd(*delegate));
    }
    // The network thread now exists and has nothing in flight.
    const double before = qelvo::test::processCpuSeconds();
    mainLoop().runUntil([] { return false; }, 1.0);
    const double used = qelvo::test::processCpuSeconds() - before;
    // Waking even once a millisecond would cost about 25 ms here; sleeping costs a
    // few (the loop's own short naps).
    EXPECT_LT(used, 0.02) << "CPU seconds used by an idle second";
}

TEST_F(HttpSessionTest, SessionShutsDownWithTransfersInFlight) {
    qelvo::testing::SilentServer silent;
    auto delegate = std::make_shared<RecordingTaskDelegate>();
    {
        HttpSession session;
        session.start(get(silent.url("/never")), delegate);
        session.start(get(silent.url("/never-either")), delegate);
        // Both are in libcurl's hands when the session goes.
        ASSERT_TRUE(reachedWithoutTheLoop([&] { return session.networkProgress().added == 2; }));
    }
    mainLoop().runPending();
    EXPECT_TRUE(delegate->events.empty());
    EXPECT_EQ(delegate.use_count(), 1);
}

}  // namespace
