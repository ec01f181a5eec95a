// The query switches that make a picture or video transfer misbehave.

#include "ServiceFixture.h"

#include "Gzip.h"
#include "SyntheticByteSource.h"

#include <algorithm>
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

TEST_F(TransferSwitchTest, FromAndTimesWindowTheSwitchesOntoLaterRequests) {
    const auto file = SyntheticByteSource::bytes(5000, 0);
    const std::string second = "/videos/synthetic/5000.mp4?status=500&from=2&times=1";
    const auto first = fetch(second);
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.body, file);
    const auto failed = fetch(second);
    EXPECT_EQ(failed.status, 500);
    EXPECT_NE(failed.body.find("<html"), std::string::npos);
    const auto third = fetch(second);
    EXPECT_EQ(third.status, 200);
    EXPECT_EQ(third.body, file);

    // Without "times" the window stays open; the version applies inside and outside it.
    const std::string fromSecond = "/videos/synthetic/5000.mp4?dropAfter=10&from=2&version=3";
    const auto whole = fetch(fromSecond);
    EXPECT_TRUE(whole.completed);
    EXPECT_EQ(whole.body, SyntheticByteSource::bytes(5000, 3));
    for (int i = 0; i < 2; ++i) {
        const auto cut = fetch(fromSecond);
        EXPECT_FALSE(cut.completed);
        EXPECT_EQ(cut.body, SyntheticByteSource::bytes(10, 3));
    }
}

TEST_F(TransferSwitchTest, ShortRangeAnswersATruthfulSubRange) {
    const auto file = SyntheticByteSource::bytes(5000, 0);
    const auto ranged = fetch("/videos/synthetic/5000.mp4?shortRange=300", {{"Range", "bytes=1000-"}});
    ASSERT_TRUE(ranged.completed);
    EXPECT_EQ(ranged.status, 206);
    EXPECT_EQ(header(ranged, "Content-Range"), "bytes 1000-1299/5000");
    EXPECT_EQ(header(ranged, "Content-Length"), "300");
    EXPECT_EQ(ranged.body, file.substr(1000, 300));

    const auto unranged = fetch("/videos/synthetic/5000.mp4?shortRange=300");
    ASSERT_TRUE(unranged.completed);
    EXPECT_EQ(unranged.status, 206);
    EXPECT_EQ(header(unranged, "Content-Range"), "bytes 0-299/5000");
    EXPECT_EQ(unranged.body, file.substr(0, 300));

    // A sub-range reaching past the end is the normal answer.
    const auto tail = fetch("/videos/synthetic/5000.mp4?shortRange=300", {{"Range", "bytes=4800-"}});
    EXPECT_EQ(tail.status, 206);
    EXPECT_EQ(header(tail, "Content-Range"), "bytes 4800-4999/5000");
    EXPECT_EQ(tail.body, file.substr(4800));
    const auto whole = fetch("/videos/synthetic/5000.mp4?shortRange=5000");
    EXPECT_EQ(whole.status, 200);
    EXPECT_TRUE(header(whole, "Content-Range").empty());
    EXPECT_EQ(whole.body, file);
}

TEST_F(TransferSwitchTest, FaultsDrawEveryKindRepeatablyAndTheTallyMatchesWhatArrived) {
    const std::string path = "/videos/synthetic/200000.mp4";
    const std::string target = path + "?faults=100";
    const auto file = SyntheticByteSource::bytes(200000, 0);
    // What the client saw of each request, named as the request log names the faults.
    const auto run = [&](std::uint64_t& fileBytesReceived) {
        std::vector<std::string> seen;
        for (int i = 0; i < 40; ++i) {
            const auto transfer = fetch(target);
            if (transfer.status == 500 || transfer.status == 503) {
                seen.push_back("status" + std::to_string(transfer.status));
            } else if (transfer.status == 302 && header(transfer, "Location") == origin() + target) {
                seen.emplace_back("redirect");
            } else if (transfer.status == 200 && !transfer.completed &&
                       header(transfer, "Content-Length") == "200000" && transfer.body.size() < file.size() &&
                       transfer.body == file.substr(0, transfer.body.size())) {
                seen.emplace_back("drop");
                fileBytesReceived += transfer.body.size();
            } else {
                seen.push_back("unexpected " + std::to_string(transfer.status));
            }
        }
        return seen;
    };
    const auto logged = [&] {
        std::vector<std::string> faults;
        const auto log = control("GET", "/control/requests?from=0");
        for (const auto& entry : log.at("requests"))
            faults.push_back(entry.value("fault", "none"));
        return faults;
    };

    std::uint64_t received = 0;
    const auto seen = run(received);
    EXPECT_EQ(logged(), seen);
    for (const char* kind : {"status500", "status503", "redirect", "drop"})
        EXPECT_NE(std::find(seen.begin(), seen.end(), kind), seen.end()) << kind;
    const auto tally = control("GET", "/control/transfers");
    EXPECT_EQ(tally.at("bytes").value(path, std::uint64_t{0}), received);
    EXPECT_EQ(tally.value("total", std::uint64_t{0}), received);

    // A reset starts the draws over from the seed: the same requests meet the same faults.
    control("POST", "/control/reset");
    std::uint64_t receivedAgain = 0;
    EXPECT_EQ(run(receivedAgain), seen);
    EXPECT_EQ(receivedAgain, received);

    // Below 100 percent, some requests are served normally and are not marked.
    control("POST", "/control/reset");
    int whole = 0;
    for (int i = 0; i < 40; ++i)
        whole += fetch("/videos/synthetic/2000.mp4?faults=25").body == SyntheticByteSource::bytes(2000, 0);
    const auto marks = logged();
    EXPECT_EQ(std::count(marks.begin(), marks.end(), "none"), whole);
    EXPECT_GT(whole, 10);
    EXPECT_LT(whole, 40);
}

TEST_F(TransferSwitchTest, DelayHoldsTheResponseBack) {
    const auto transfer = fetch("/pics/ad2.jpg?delay=300");
    ASSERT_TRUE(transfer.completed);
    EXPECT_EQ(transfer.status, 200);
    EXPECT_GE(transfer.seconds, 0.28);
}

TEST_F(TransferSwitchTest, MalformedSwitchValuesAreRefusedWith400) {
    for (const char* query : {"rate=fast", "status=42", "dropAfter=-1", "noLength=maybe",
                              "redirectStatus=304", "from=0", "shortRange=0", "faults=101"}) {
        const auto transfer = fetch(std::string("/videos/tax-101.mp4?") + query);
        EXPECT_EQ(transfer.status, 400) << query;
    }
}

TEST_F(TransferSwitchTest, StalledTransfersDoNotHoldUpOtherClients) {
    std::vector<std::future<Transfer>> stalled;
    stalled.reserve(6);
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
