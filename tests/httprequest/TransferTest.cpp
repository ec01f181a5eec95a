#include "tests/httprequest/DownloadFixture.h"

#include "Library/HTTPRequest/HTTPRequestQueue.h"

#include <fstream>
#include <string>

namespace qelvo::test {
namespace {

using Transfers = DownloadFixture;

TEST_F(Transfers, RequestCarriesTheDownloadHeaders) {
    auto request = makeRequest(syntheticURL(1000));
    request->addRequestHeader("X-Extra", "1");
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    auto sent = requestsSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["method"], "GET");
    EXPECT_EQ(sent[0]["headers"]["Accept-Encoding"], "gzip");
    EXPECT_EQ(sent[0]["headers"]["X-Extra"], "1");
    const std::string agent = sent[0]["headers"]["User-Agent"];
    EXPECT_EQ(agent.rfind("Qelvo 1.0 (", 0), 0u) << agent;
}

TEST_F(Transfers, IsExecutingFromStartUntilFinished) {
    auto request = makeRequest(syntheticURL(1000));
    EXPECT_FALSE(request->isExecuting());
    request->startAsynchronous();
    EXPECT_TRUE(request->isExecuting());
    ASSERT_TRUE(runUntilEnded());
    EXPECT_FALSE(request->isExecuting());
    EXPECT_EQ(request->userInfo().count("File"), 1u);
}

TEST_F(Transfers, FinishedCallbackSeesExecutingAndTheFileInPlace) {
    class Checker : public RecordingDelegate {
    public:
        explicit Checker(std::string path) : path_(std::move(path)) {}
        void requestFinished(HTTPRequest& request) override {
            RecordingDelegate::requestFinished(request);
            executingWhenFinished = request.isExecuting();
            fileInPlace = std::ifstream(path_).good();
        }
        bool executingWhenFinished = false;
        bool fileInPlace = false;

    private:
        std::string path_;
    };
    auto checker = std::make_shared<Checker>(targetPath);
    auto request = makeRequest(syntheticURL(1000));
    request->setDelegate(checker);
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return checker->ended(); }));
    EXPECT_TRUE(checker->executingWhenFinished);
    EXPECT_TRUE(checker->fileInPlace);
}

TEST_F(Transfers, WithoutContentLengthOneReportOfOneAtTheEnd) {
    auto request = makeRequest(syntheticURL(200000, "noLength=1&stallAfter=50000&stallMs=300"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return sizeOf(tempPath) >= 50000; }));
    clock->advance(1.0);
    EXPECT_TRUE(recorder->reports.empty()) << "no report before the body is complete";
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(recorder->reports, std::vector<std::int64_t>{1});
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, 200000));
}

TEST_F(Transfers, ReportsEveryQuarterSecondCarryOnlyTheNewBytes) {
    auto request = makeRequest(syntheticURL(200000, "stallAfter=80000&stallMs=400"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return sizeOf(tempPath) >= 80000; }));
    const auto first = static_cast<std::int64_t>(sizeOf(tempPath));
    clock->advance(0.2);
    EXPECT_TRUE(recorder->reports.empty());
    clock->advance(0.05);
    EXPECT_EQ(recorder->reports, std::vector<std::int64_t>{first});
    clock->advance(0.25);
    EXPECT_EQ(recorder->reports.size(), 1u) << "nothing new, nothing reported";
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->reports, (std::vector<std::int64_t>{first, 200000 - first}));
}

TEST_F(Transfers, GzipBodyIsInflatedIntoTheDestination) {
    auto request = makeRequest(syntheticURL(300000, "gzip=1"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(request->responseHeader("Content-Encoding"), "gzip");
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, 300000));
    EXPECT_FALSE(exists(tempPath));
}

TEST_F(Transfers, ExistingDestinationIsReplaced) {
    writeFile(targetPath, std::string(5000000, 'o'));
    auto request = makeRequest(syntheticURL(1000));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, 1000));
    EXPECT_TRUE(request->temporaryFileDownloadPath().empty()) << "the partial file is no more";
}

TEST_F(Transfers, AtMostFourRunAtOnce) {
    std::vector<std::shared_ptr<RecordingDelegate>> recorders;
    std::vector<std::shared_ptr<HTTPRequest>> requests;
    for (int i = 0; i < 6; ++i) {
        auto url = syntheticURL(100000 + static_cast<std::uint64_t>(i), "stallAfter=0&stallMs=20000");
        auto request = HTTPRequest::initWithURL(url);
        auto record = std::make_shared<RecordingDelegate>();
        request->setDelegate(record);
        request->setDownloadDestinationPath(folder + "/file" + std::to_string(i));
        request->setTemporaryFileDownloadPath(folder + "/file" + std::to_string(i) + ".tmp");
        request->startAsynchronous();
        EXPECT_TRUE(request->isExecuting()) << "a waiting request counts as executing";
        recorders.push_back(record);
        requests.push_back(request);
    }
    auto startedCount = [&] {
        int count = 0;
        for (auto& record : recorders)
            count += record->started;
        return count;
    };
    ASSERT_TRUE(runUntil([&] { return requestsSent().size() == 4; }));
    EXPECT_EQ(startedCount(), 4);
    EXPECT_EQ(HTTPRequestQueue::shared().runningCount(), 4u);
    EXPECT_EQ(HTTPRequestQueue::shared().waitingCount(), 2u);
    EXPECT_EQ(recorders[4]->started, 0);

    requests[1]->clearDelegatesAndCancel();
    EXPECT_EQ(recorders[4]->started, 1) << "the first waiting request takes the free place";
    EXPECT_EQ(recorders[5]->started, 0);
    requests[5]->clearDelegatesAndCancel();  // leaves the queue without ever running
    EXPECT_EQ(HTTPRequestQueue::shared().waitingCount(), 0u);
    for (auto& request : requests)
        request->clearDelegatesAndCancel();
    EXPECT_EQ(recorders[5]->started, 0);
    EXPECT_EQ(HTTPRequestQueue::shared().runningCount(), 0u);
}

TEST_F(Transfers, CancelledBeforeTheQueueTookItNeverStarts) {
    auto request = makeRequest(syntheticURL(1000));
    request->startAsynchronous();
    request->clearDelegatesAndCancel();
    runUntil([] { return false; }, 0.2);
    EXPECT_EQ(recorder->started, 0);
    EXPECT_TRUE(requestsSent().empty());
    EXPECT_FALSE(request->isExecuting());
}

}  // namespace
}  // namespace qelvo::test
