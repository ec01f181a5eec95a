#include "tests/httprequest/DownloadFixture.h"

namespace qelvo::test {
namespace {

constexpr std::uint64_t kSize = 300000;
constexpr std::uint64_t kPartial = 100000;

using Resume = DownloadFixture;

TEST_F(Resume, EmptyPartialFileSendsNoRangeAndWritesFromTheStart) {
    writeFile(tempPath, "");
    auto request = makeRequest(syntheticURL(kSize));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(rangesSent(), std::vector<std::string>{""});
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize));
    EXPECT_FALSE(exists(tempPath));
    EXPECT_EQ(recorder->reports, std::vector<std::int64_t>{static_cast<std::int64_t>(kSize)});
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"started", "headers 200",
                                                          "bytes " + std::to_string(kSize), "finished"}));
}

TEST_F(Resume, PartialContentIsAppendedAndTheFirstReportIsTheRunningTotal) {
    writeFile(tempPath, syntheticBytes(0, kPartial));
    // The service pauses after 50000 bytes, so a status check can see the transfer midway.
    auto request = makeRequest(syntheticURL(kSize, "stallAfter=50000&stallMs=300"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return sizeOf(tempPath) >= kPartial + 50000; }));
    const auto onDisk = static_cast<std::int64_t>(sizeOf(tempPath));
    clock->advance(0.25);
    ASSERT_EQ(recorder->reports.size(), 1u);
    EXPECT_EQ(recorder->reports[0], onDisk) << "the first report carries the whole length on disk";
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(rangesSent(), std::vector<std::string>{"bytes=100000-"});
    ASSERT_EQ(recorder->receivedHeaders.size(), 1u);
    EXPECT_EQ(recorder->receivedHeaders[0].at("Content-Range"), "bytes 100000-299999/300000");
    EXPECT_EQ(request->responseStatusCode(), 206);
    EXPECT_EQ(recorder->reportedTotal(), static_cast<std::int64_t>(kSize)) << "later reports are deltas";
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize));
}

TEST_F(Resume, WholeFileAnswerRewritesThePartialFileAndCountsOnlyNewBytes) {
    writeFile(tempPath, std::string(kPartial, 'x'));
    auto request = makeRequest(syntheticURL(kSize, "ignoreRange=1&stallAfter=50000&stallMs=300"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] {
        return recorder->receivedHeaders.size() == 1 && sizeOf(tempPath) >= 50000 &&
               sizeOf(tempPath) < kPartial;
    }));
    const auto onDisk = static_cast<std::int64_t>(sizeOf(tempPath));
    clock->advance(0.25);
    ASSERT_EQ(recorder->reports.size(), 1u);
    EXPECT_EQ(recorder->reports[0], onDisk);
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(rangesSent(), std::vector<std::string>{"bytes=100000-"});
    EXPECT_EQ(request->responseStatusCode(), 200);
    EXPECT_FALSE(request->responseHeader("content-range").has_value());
    EXPECT_EQ(recorder->reportedTotal(), static_cast<std::int64_t>(kSize));
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize));
}

TEST_F(Resume, RangeStartingInsideThePartialFileCutsItThere) {
    writeFile(tempPath, syntheticBytes(0, kPartial));
    auto request = makeRequest(syntheticURL(kSize, "earlyStart=1000"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(request->responseHeader("Content-Range"), "bytes 99000-299999/300000");
    EXPECT_EQ(sizeOf(targetPath), kSize);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize)) << "no byte is written twice";
    EXPECT_EQ(recorder->reports, std::vector<std::int64_t>{static_cast<std::int64_t>(kSize)});
}

TEST_F(Resume, RangeStartingPastThePartialFileStartsAgainFromTheFirstByte) {
    writeFile(tempPath, syntheticBytes(0, kPartial));
    auto request = makeRequest(syntheticURL(kSize, "lateStart=1000&times=1"));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(rangesSent(), (std::vector<std::string>{"bytes=100000-", ""}));
    EXPECT_EQ(recorder->started, 2);
    EXPECT_EQ(request->responseStatusCode(), 200);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize)) << "no gap of missing bytes";
    EXPECT_EQ(recorder->reports, std::vector<std::int64_t>{static_cast<std::int64_t>(kSize)});
}

TEST_F(Resume, IfRangeWithAStaleValidatorGetsTheNewFileFromTheStart) {
    writeFile(tempPath, syntheticBytes(0, kPartial, 0));
    auto request = makeRequest(syntheticURL(kSize, "version=1"));
    request->addRequestHeader("If-Range", syntheticETag(kSize, 0));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    ASSERT_EQ(requestsSent().size(), 1u);
    EXPECT_EQ(requestsSent()[0]["headers"]["If-Range"], syntheticETag(kSize, 0));
    EXPECT_EQ(request->responseStatusCode(), 200);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize, 1)) << "no bytes of the old version stay";
}

TEST_F(Resume, IfRangeWithTheCurrentValidatorResumes) {
    writeFile(tempPath, syntheticBytes(0, kPartial, 1));
    auto request = makeRequest(syntheticURL(kSize, "version=1"));
    request->addRequestHeader("If-Range", syntheticETag(kSize, 1));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(request->responseStatusCode(), 206);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize, 1));
}

TEST_F(Resume, IfRangeIsNotSentWithoutARange) {
    auto request = makeRequest(syntheticURL(1000));
    request->addRequestHeader("If-Range", syntheticETag(1000));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    ASSERT_EQ(requestsSent().size(), 1u);
    EXPECT_FALSE(requestsSent()[0]["headers"].contains("If-Range"));
}

TEST_F(Resume, CompletePartialFileIsMovedIntoPlaceWhenTheServerHasNothingMore) {
    writeFile(tempPath, syntheticBytes(0, kSize));
    auto request = makeRequest(syntheticURL(kSize));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(request->responseStatusCode(), 416);
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize)) << "the error page is not appended";
    EXPECT_EQ(recorder->reports, std::vector<std::int64_t>{static_cast<std::int64_t>(kSize)});
}

TEST_F(Resume, PartialFileLongerThanTheFileStartsAgain) {
    writeFile(tempPath, std::string(kSize + 10, 'x'));
    auto request = makeRequest(syntheticURL(kSize));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());

    EXPECT_EQ(rangesSent(), (std::vector<std::string>{"bytes=300010-", ""}));
    EXPECT_EQ(request->responseStatusCode(), 200);
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize));
}

TEST_F(Resume, WithoutResumeThePartialFileIsIgnored) {
    writeFile(tempPath, std::string(kPartial, 'x'));
    auto request = makeRequest(syntheticURL(kSize));
    request->setAllowResumeForFileDownloads(false);
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(rangesSent(), std::vector<std::string>{""});
    EXPECT_EQ(readFile(targetPath), syntheticBytes(0, kSize));
}

}  // namespace
}  // namespace qelvo::test
