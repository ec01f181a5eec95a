#include "tests/httprequest/DownloadFixture.h"

#include "Library/HTTPRequest/HTTPRequestQueue.h"

#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace qelvo::test {
namespace {

using Failures = DownloadFixture;

TEST_F(Failures, TimeOutMidBodyResumesTwiceThenFailsWithCode2) {
    // Every attempt gets 100000 more bytes, then the service goes quiet.
    auto request = makeRequest(syntheticURL(1000000, "stallAfter=100000&stallMs=20000"));
    request->startAsynchronous();
    for (std::uint64_t attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_TRUE(runUntil([&] { return sizeOf(tempPath) == attempt * 100000; })) << "attempt " << attempt;
        EXPECT_EQ(recorder->started, static_cast<int>(attempt));
        clock->advance(29.0);
        EXPECT_EQ(recorder->started, static_cast<int>(attempt)) << "no time-out before 30 s";
        clock->advance(1.25);
    }
    EXPECT_EQ(recorder->failed, 1);
    EXPECT_EQ(recorder->failureCode, 2);
    EXPECT_EQ(request->error()->description, "The request timed out");
    EXPECT_EQ(request->error()->domain, "HTTPRequestErrorDomain");
    EXPECT_FALSE(request->isExecuting());
    EXPECT_EQ(rangesSent(), (std::vector<std::string>{"", "bytes=100000-", "bytes=200000-"}));
    EXPECT_EQ(readFile(tempPath), syntheticBytes(0, 300000)) << "the partial file stays, whole";
    EXPECT_FALSE(exists(targetPath));
    // Each attempt opened with its running total.
    EXPECT_EQ(recorder->reports, (std::vector<std::int64_t>{100000, 200000, 300000}));
}

TEST_F(Failures, NotFoundFinishesNormallyWithTheErrorPageInPlace) {
    writeFile(tempPath, syntheticBytes(0, 5000));
    auto request = makeRequest(syntheticURL(300000, "status=404"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(recorder->failed, 0);
    EXPECT_EQ(request->responseStatusCode(), 404);
    EXPECT_FALSE(request->error().has_value());
    const std::string page = readFile(targetPath);
    EXPECT_NE(page.find("<html"), std::string::npos) << page.substr(0, 200);
    EXPECT_EQ(page.find(syntheticBytes(0, 5000)), std::string::npos) << "the old partial bytes are gone";
    EXPECT_FALSE(exists(tempPath));
}

TEST_F(Failures, SixRedirectsInARowFailWithCode9) {
    auto request = makeRequest(syntheticURL(1000, "redirects=6"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->failed, 1);
    EXPECT_EQ(recorder->failureCode, 9);
    EXPECT_EQ(request->error()->description, "The request failed because it redirected too many times");
    EXPECT_EQ(recorder->receivedHeaders.size(), 6u);
    EXPECT_FALSE(exists(targetPath));
}

TEST_F(Failures, FiveRedirectsAreFollowedWithTheirHeaderCallbacks) {
    auto request = makeRequest(syntheticURL(1000, "redirects=5&redirectStatus=307"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->finished, 1);
    ASSERT_EQ(recorder->receivedHeaders.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(recorder->receivedHeaders[i].count("Location"), 1u) << i;
    }
    EXPECT_EQ(request->responseStatusCode(), 200);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, 1000)) << "no redirect page is kept";
    EXPECT_EQ(recorder->reports, std::vector<std::int64_t>{1000});
    EXPECT_EQ(recorder->events.back(), "finished");
}

TEST_F(Failures, RedirectLoopFailsWithCode9) {
    auto request = makeRequest(syntheticURL(1000, "redirectLoop=1"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->failureCode, 9);
    EXPECT_EQ(requestsSent().size(), 6u);
}

// A video address comes from a web page: a file address, or a redirect to one, fails as a
// bad address and nothing of the machine lands in the download.
TEST_F(Failures, AFileAddressOrARedirectToOneFailsWithCode5AndWritesNothing) {
    const std::string secret = folder + "-secret";
    writeFile(secret, "root:x:0:0 secret bytes");
    httplib::Server redirector;
    redirector.set_keep_alive_max_count(1);  // no kept connection holds stop() up
    redirector.Get("/video.mp4", [&](const httplib::Request&, httplib::Response& res) {
        res.status = 302;
        res.set_header("Location", "file://" + secret);
    });
    const int port = redirector.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { redirector.listen_after_bind(); });

    for (const std::string& url :
         {"file://" + secret, "http://127.0.0.1:" + std::to_string(port) + "/video.mp4"}) {
        recorder = std::make_shared<RecordingDelegate>();
        auto request = makeRequest(url);
        request->startAsynchronous();
        ASSERT_TRUE(runUntilEnded()) << url;
        EXPECT_EQ(recorder->failed, 1) << url;
        EXPECT_EQ(recorder->failureCode, 5) << url;
        EXPECT_FALSE(exists(targetPath)) << url;
        EXPECT_EQ(readFile(tempPath).find("secret"), std::string::npos) << url;
    }
    redirector.stop();
    serving.join();
    std::filesystem::remove(secret);
}

TEST_F(Failures, CancelKeepsThePartialFileAndCallsNothing) {
    auto request = makeRequest(syntheticURL(300000, "stallAfter=50000&stallMs=20000"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return sizeOf(tempPath) == 50000; }));
    const auto eventsBefore = recorder->events;
    request->clearDelegatesAndCancel();
    EXPECT_FALSE(request->isExecuting());
    clock->advance(60.0);  // no status check, time-out or report follows
    runUntil([] { return false; }, 0.2);

    EXPECT_EQ(recorder->events, eventsBefore);
    EXPECT_EQ(request->error()->code, 4);
    EXPECT_EQ(request->error()->description, "The request was cancelled");
    EXPECT_EQ(readFile(tempPath), syntheticBytes(0, 50000));
    EXPECT_FALSE(exists(targetPath));
    EXPECT_EQ(HTTPRequestQueue::shared().runningCount(), 0u);
}

TEST_F(Failures, CancelDuringACallbackStopsTheRest) {
    class CancelOnHeaders : public RecordingDelegate {
    public:
        void didReceiveResponseHeaders(HTTPRequest& request, const HTTPHeaders& headers) override {
            RecordingDelegate::didReceiveResponseHeaders(request, headers);
            request.clearDelegatesAndCancel();
        }
    };
    auto canceller = std::make_shared<CancelOnHeaders>();
    auto request = makeRequest(syntheticURL(20000));
    request->setDelegate(canceller);
    request->setDownloadProgressDelegate(canceller);
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return !request->isExecuting(); }));
    runUntil([] { return false; }, 0.2);
    EXPECT_EQ(canceller->events, (std::vector<std::string>{"started", "headers 200"}));
    EXPECT_FALSE(exists(targetPath));
}

TEST_F(Failures, DroppedConnectionIsRetriedOnceFromThePartialFile) {
    auto request = makeRequest(syntheticURL(300000, "dropAfter=100000&times=1"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(recorder->started, 2);
    EXPECT_EQ(rangesSent(), (std::vector<std::string>{"", "bytes=100000-"}));
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, 300000));
}

TEST_F(Failures, SecondDroppedConnectionFailsWithCode1) {
    auto request = makeRequest(syntheticURL(300000, "dropAfter=100000"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->failed, 1);
    EXPECT_EQ(recorder->failureCode, 1);
    EXPECT_EQ(request->error()->description, "A connection failure occurred");
    EXPECT_EQ(readFile(tempPath), syntheticBytes(0, 200000)) << "both attempts' bytes stay";
}

TEST_F(Failures, UnusableAddressFailsWithCode5) {
    auto request = makeRequest("not a url");
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->failureCode, 5);
    EXPECT_EQ(request->error()->description, "Unable to create request (bad url?)");
}

TEST_F(Failures, UnreadablePartialFileFailsWithCode8) {
    std::filesystem::create_directory(tempPath);  // a folder where the partial file should be
    std::ofstream(tempPath + "/inside").put('x');
    auto request = makeRequest(syntheticURL(1000));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->failureCode, 8);
}

}  // namespace
}  // namespace qelvo::test
