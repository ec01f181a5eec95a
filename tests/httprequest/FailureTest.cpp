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
    EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::TimedOut);
    EXPECT_EQ(request->error()->description, "The request timed out");
    EXPECT_EQ(request->error()->domain, "HTTPRequestErrorDomain");
    EXPECT_FALSE(request->isExecuting());
    EXPECT_EQ(rangesSent(), (std::vector<std::string>{"", "bytes=100000-", "bytes=200000-"}));
    EXPECT_EQ(readFile(tempPath), syntheticBytes(0, 300000)) << "the partial file stays, whole";
    EXPECT_FALSE(exists(targetPath));
    // Each attempt opens with its running total (the partial file it resumed plus what came since),
    // so the reports of an attempt add up to the size of the file when it stopped.
    std::vector<std::int64_t> totals;
    for (const auto& event : recorder->events) {
        if (event == "started") {
            totals.push_back(0);
        } else if (event.rfind("bytes ", 0) == 0 && !totals.empty()) {
            totals.back() += std::stoll(event.substr(6));
        }
    }
    EXPECT_EQ(totals, (std::vector<std::int64_t>{100000, 200000, 300000}));
}

TEST_F(Failures, ErrorStatusesFinishWithoutTouchingThePartialFileOrTheDestination) {
    for (const int status : {500, 401, 410, 503, 404, 403}) {
        SCOPED_TRACE(status);
        for (const bool resuming : {false, true}) {
            recorder = std::make_shared<RecordingDelegate>();
            std::filesystem::remove(tempPath);
            if (resuming) {
                writeFile(tempPath, syntheticBytes(0, 5000));
            }
            auto request = makeRequest(syntheticURL(300000, "status=" + std::to_string(status)));
            request->startAsynchronous();
            ASSERT_TRUE(runUntilEnded());

            EXPECT_EQ(recorder->events, (std::vector<std::string>{"started", "headers " + std::to_string(status),
                                                                  "finished"}))
                << "no progress is reported for an error page";
            EXPECT_FALSE(request->error().has_value());
            EXPECT_FALSE(request->responseHoldsFile());
            EXPECT_FALSE(exists(targetPath)) << "nothing is moved into place";
            if (resuming) {
                EXPECT_EQ(readFile(tempPath), syntheticBytes(0, 5000)) << "the partial file is kept as it was";
            } else {
                EXPECT_FALSE(exists(tempPath));
            }
        }
    }
}

TEST_F(Failures, ABodyShorterThanItsPromisedSizeFailsAndKeepsWhatArrived) {
    for (const std::uint64_t partial : {std::uint64_t{0}, std::uint64_t{100000}}) {
        SCOPED_TRACE(partial);
        recorder = std::make_shared<RecordingDelegate>();
        writeFile(tempPath, syntheticBytes(0, partial));
        // A 206 whose Content-Range names 50000 bytes of a 300000-byte file, and nothing follows.
        auto request = makeRequest(syntheticURL(300000, "shortRange=50000"));
        request->startAsynchronous();
        ASSERT_TRUE(runUntilEnded());

        EXPECT_EQ(recorder->failed, 1);
        EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::ConnectionFailure);
        EXPECT_EQ(request->responseStatusCode(), 206);
        EXPECT_FALSE(exists(targetPath)) << "a short file is never moved into place";
        EXPECT_EQ(readFile(tempPath), syntheticBytes(0, partial + 50000)) << "every byte that came stays";
    }
}

TEST_F(Failures, SixRedirectsInARowFailWithCode9) {
    auto request = makeRequest(syntheticURL(1000, "redirects=6"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->failed, 1);
    EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::TooManyRedirects);
    EXPECT_EQ(request->error()->description, "The request failed because it redirected too many times");
    EXPECT_EQ(recorder->receivedHeaders.size(), 6u);
    EXPECT_FALSE(exists(targetPath));
}

TEST_F(Failures, FiveRedirectsOfEveryKindAreFollowedWithTheirHeaderCallbacks) {
    for (const int status : {301, 302, 303, 307, 308}) {
        SCOPED_TRACE(status);
        recorder = std::make_shared<RecordingDelegate>();
        std::filesystem::remove(targetPath);
        auto request = makeRequest(syntheticURL(1000, "redirects=5&redirectStatus=" + std::to_string(status)));
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
}

TEST_F(Failures, RedirectLoopFailsWithCode9) {
    auto request = makeRequest(syntheticURL(1000, "redirectLoop=1"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::TooManyRedirects);
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
        EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::BadURL) << url;
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
    EXPECT_EQ(request->error()->code, HTTPRequestErrorCode::Cancelled);
    EXPECT_EQ(request->error()->description, "The request was cancelled");
    EXPECT_EQ(readFile(tempPath), syntheticBytes(0, 50000));
    EXPECT_FALSE(exists(targetPath));
    EXPECT_EQ(HTTPRequestQueue::shared().runningCount(), 0u);
}

TEST_F(Failures, CancelWhileBytesAreOnTheirWayToTheDiskWritesNothingMore) {
    constexpr std::uint64_t kSize = 64ULL * 1024 * 1024;
    auto request = makeRequest(syntheticURL(kSize));
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return sizeOf(tempPath) >= 8ULL * 1024 * 1024; }));
    const auto eventsBefore = recorder->events;
    request->clearDelegatesAndCancel();
    const std::uint64_t kept = sizeOf(tempPath);
    runUntil([] { return false; }, 0.3);
    clock->advance(1.0);

    EXPECT_EQ(sizeOf(tempPath), kept) << "no byte is written once the cancel has returned";
    EXPECT_EQ(recorder->events, eventsBefore);
    EXPECT_LT(kept, kSize);
    // The next request asks for the rest from exactly that size and ends byte-exact.
    recorder = std::make_shared<RecordingDelegate>();
    auto resumed = makeRequest(syntheticURL(kSize));
    resumed->startAsynchronous();
    ASSERT_TRUE(runUntilEnded(60));
    EXPECT_EQ(rangesSent().back(), "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(sizeOf(targetPath), kSize);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize));
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
    EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::ConnectionFailure);
    EXPECT_EQ(request->error()->description, "A connection failure occurred");
    EXPECT_EQ(readFile(tempPath), syntheticBytes(0, 200000)) << "both attempts' bytes stay";
}

TEST_F(Failures, UnusableAddressFailsWithCode5) {
    auto request = makeRequest("not a url");
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::BadURL);
    EXPECT_EQ(request->error()->description, "Unable to create request (bad url?)");
}

TEST_F(Failures, UnreadablePartialFileFailsWithCode8) {
    std::filesystem::create_directory(tempPath);  // a folder where the partial file should be
    std::ofstream(tempPath + "/inside").put('x');
    auto request = makeRequest(syntheticURL(1000));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->failureCode, HTTPRequestErrorCode::FileHandling);
}

}  // namespace
}  // namespace qelvo::test
