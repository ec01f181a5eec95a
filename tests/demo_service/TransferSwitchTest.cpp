// The query switches that make a picture or video transfer misbehave.

#include "ServiceFixture.h"

#include "Gzip.h"
#include "SyntheticByteSource.h"

#include <chrono>
#include <future>

using qelvo::demo::SyntheticByteSource;
using Clock = std::chrono::steady_clock;

namespace {

struct Transfer {
    bool completed = false;
    int status = 0;
    httplib::Headers headers;
    std::string body;
    double seconds = 0;
};

class TransferSwitchTest : public ServiceFixture {
protected:
    // Fetches an address, keeping whatever arrived even when the transfer fails.
    Transfer fetch(const std::string& path, const httplib::Headers& headers = {},
                   int readTimeoutSeconds = 10) const {
        Transfer transfer;
        auto cli = client();
        cli.set_read_timeout(readTimeoutSeconds, 0);
        const auto start = Clock::now();
        const auto result = cli.Get(
            path.c_str(), headers,
            [&](const httplib::Response& response) {
                transfer.status = response.status;
                transfer.headers = response.headers;
                return true;
            },
            [&](const char* data, std::size_t length) {
                transfer.body.append(data, length);
                return true;
            });
        transfer.completed = static_cast<bool>(result);
        transfer.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return transfer;
    }

    static std::string header(const Transfer& transfer, const char* name) {
        const auto found = transfer.headers.find(name);
        return found == transfer.headers.end() ? std::string() : found->second;
    }
};

TEST_F(TransferSwitchTest, RateLimitsTheBytesPerSecond) {
    const auto fast = fetch("/videos/synthetic/60000.mp4");
    const auto slow = fetch("/videos/synthetic/60000.mp4?rate=150000");
    ASSERT_TRUE(fast.completed && slow.completed);
    EXPECT_EQ(slow.body, SyntheticByteSource::bytes(60000, 0));
    EXPECT_GE(slow.seconds, 0.3) << "60000 bytes at 150000 bytes a second";
    EXPECT_LT(slow.seconds, 5.0);
    EXPECT_LT(fast.seconds, slow.seconds);
}

TEST_F(TransferSwitchTest, StallAfterPausesAtExactlyThatByte) {
    const auto paused = fetch("/videos/synthetic/3000.mp4?stallAfter=1000&stallMs=400");
    ASSERT_TRUE(paused.completed);
    EXPECT_EQ(paused.body, SyntheticByteSource::bytes(3000, 0));
    EXPECT_GE(paused.seconds, 0.35);

    // Without "stallMs" the stall outlasts the client's patience.
    const auto stuck = fetch("/videos/synthetic/3000.mp4?stallAfter=1000", {}, 1);
    EXPECT_FALSE(stuck.completed);
    EXPECT_EQ(stuck.status, 200);
    EXPECT_EQ(stuck.body, SyntheticByteSource::bytes(1000, 0));
}

TEST_F(TransferSwitchTest, DropAfterClosesTheConnectionAfterThatManyBytes) {
    const auto dropped = fetch("/videos/synthetic/10000.mp4?dropAfter=3000");
    EXPECT_FALSE(dropped.completed);
    EXPECT_EQ(header(dropped, "Content-Length"), "10000");
    EXPECT_EQ(dropped.body, SyntheticByteSource::bytes(3000, 0));

    const auto resumed = fetch("/videos/synthetic/10000.mp4?dropAfter=3000", {{"Range", "bytes=3000-"}});
    EXPECT_EQ(resumed.status, 206);
    EXPECT_EQ(resumed.body, SyntheticByteSource::bytes(10000, 0).substr(3000, 3000));
}

TEST_F(TransferSwitchTest, StatusSwitchAnswersThatStatusWithAnHtmlPage) {
    for (const int status : {403, 404, 500, 503}) {
        const auto transfer = fetch("/videos/tax-101.mp4?status=" + std::to_string(status));
        ASSERT_TRUE(transfer.completed);
        EXPECT_EQ(transfer.status, status);
        EXPECT_NE(header(transfer, "Content-Type").find("text/html"), std::string::npos);
        EXPECT_NE(transfer.body.find("<html"), std::string::npos);
    }
}

TEST_F(TransferSwitchTest, IgnoreRangeSendsTheWholeFileWith200) {
    const auto transfer = fetch("/videos/synthetic/4000.mp4?ignoreRange=1", {{"Range", "bytes=1000-"}});
    ASSERT_TRUE(transfer.completed);
    EXPECT_EQ(transfer.status, 200);
    EXPECT_TRUE(header(transfer, "Content-Range").empty());
    EXPECT_EQ(transfer.body, SyntheticByteSource::bytes(4000, 0));
}

TEST_F(TransferSwitchTest, EarlyStartAnswersFromBeforeTheAskedOffset) {
    const auto transfer = fetch("/videos/synthetic/5000.mp4?earlyStart=100", {{"Range", "bytes=1000-"}});
    ASSERT_TRUE(transfer.completed);
    EXPECT_EQ(transfer.status, 206);
    EXPECT_EQ(header(transfer, "Content-Range"), "bytes 900-4999/5000");
    EXPECT_EQ(transfer.body, SyntheticByteSource::bytes(5000, 0).substr(900));
}

TEST_F(TransferSwitchTest, NoLengthSendsChunkedOrCloseDelimitedBodies) {
    const auto chunked = fetch("/videos/synthetic/70000.mp4?noLength=1");
    ASSERT_TRUE(chunked.completed);
    EXPECT_TRUE(header(chunked, "Content-Length").empty());
    EXPECT_EQ(header(chunked, "Transfer-Encoding"), "chunked");
    EXPECT_EQ(chunked.body, SyntheticByteSource::bytes(70000, 0));

    const auto closed = fetch("/videos/synthetic/70000.mp4?noLength=close");
    ASSERT_TRUE(closed.completed);
    EXPECT_TRUE(header(closed, "Content-Length").empty());
    EXPECT_TRUE(header(closed, "Transfer-Encoding").empty());
    EXPECT_EQ(header(closed, "Connection"), "close");
    EXPECT_EQ(closed.body, SyntheticByteSource::bytes(70000, 0));
}

TEST_F(TransferSwitchTest, GzipEncodesTheBodyAndRangesApplyToTheEncodedBytes) {
    const auto whole = fetch("/videos/synthetic/20000.mp4?gzip=1");
    ASSERT_TRUE(whole.completed);
    EXPECT_EQ(header(whole, "Content-Encoding"), "gzip");
    EXPECT_EQ(header(whole, "Content-Length"), std::to_string(whole.body.size()));
    const auto plain = qelvo::demo::Gzip::decompress(whole.body);
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, SyntheticByteSource::bytes(20000, 0));

    const auto tail = fetch("/videos/synthetic/20000.mp4?gzip=1", {{"Range", "bytes=100-"}});
    EXPECT_EQ(tail.status, 206);
    EXPECT_EQ(tail.body, whole.body.substr(100));
}

TEST_F(TransferSwitchTest, RedirectsFormAChainEndingAtTheFile) {
    std::string path = "/videos/synthetic/300.mp4?redirects=3&rate=100000";
    for (int hop = 0; hop < 3; ++hop) {
        const auto transfer = fetch(path);
        ASSERT_EQ(transfer.status, 302) << path;
        const auto location = header(transfer, "Location");
        ASSERT_EQ(location.rfind(origin() + "/videos/synthetic/300.mp4", 0), 0u) << location;
        path = location.substr(origin().size());
    }
    EXPECT_EQ(path, "/videos/synthetic/300.mp4?rate=100000");
    const auto last = fetch(path);
    EXPECT_EQ(last.status, 200);
    EXPECT_EQ(last.body, SyntheticByteSource::bytes(300, 0));

    auto cli = client();
    cli.set_follow_location(true);
    const auto followed = cli.Get("/videos/synthetic/300.mp4?redirects=4&redirectStatus=307");
    ASSERT_TRUE(followed);
    EXPECT_EQ(followed->status, 200);
    EXPECT_EQ(followed->body.size(), 300u);
}

TEST_F(TransferSwitchTest, RedirectLoopPointsAtItself) {
    const auto transfer = fetch("/videos/tax-101.mp4?redirectLoop=1");
    EXPECT_EQ(transfer.status, 302);
    EXPECT_EQ(header(transfer, "Location"), origin() + "/videos/tax-101.mp4?redirectLoop=1");
}

TEST_F(TransferSwitchTest, TimesLimitsTheMisbehaviourToTheFirstRequests) {
    const std::string path = "/videos/synthetic/5000.mp4?dropAfter=10&times=2";
    EXPECT_FALSE(fetch(path).completed);
    EXPECT_FALSE(fetch(path).completed);
    const auto third = fetch(path);
    EXPECT_TRUE(third.completed);
    EXPECT_EQ(third.body.size(), 5000u);
}

TEST_F(TransferSwitchTest, DelayHoldsTheResponseBack) {
    const auto transfer = fetch("/pics/ad2.jpg?delay=300");
    ASSERT_TRUE(transfer.completed);
    EXPECT_EQ(transfer.status, 200);
    EXPECT_GE(transfer.seconds, 0.28);
}

TEST_F(TransferSwitchTest, MalformedSwitchValuesAreRefusedWith400) {
    for (const char* query :
         {"rate=fast", "status=42", "dropAfter=-1", "noLength=maybe", "redirectStatus=304"}) {
        const auto transfer = fetch(std::string("/videos/tax-101.mp4?") + query);
        EXPECT_EQ(transfer.status, 400) << query;
    }
}

TEST_F(TransferSwitchTest, StalledTransfersDoNotHoldUpOtherClients) {
    std::vector<std::future<Transfer>> stalled;
    for (int i = 0; i < 6; ++i) {
        stalled.push_back(std::async(std::launch::async, [this] {
            return fetch("/videos/synthetic/2000.mp4?stallAfter=0&stallMs=3000");
        }));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(operation("mode=1").value("result", ""), "0");
    // Were the workers all taken, these would wait for the stalls to end.
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.0);
    for (auto& transfer : stalled)
        EXPECT_TRUE(transfer.get().completed);
}

}  // namespace
