#include "platform/foundation/Json.h"
#include "tests/download/EngineFixture.h"

using qelvo::test::EngineFixture;

namespace {

class ProgressTest : public EngineFixture {
protected:
    platform::Value storedRecord(const std::string& id) const {
        return platform::PropertyList::read(tempFolder() + "/" + id + ".plist").value_or(platform::Value());
    }
};

TEST_F(ProgressTest, AFullResponseSetsTheSizeAndReportsAddUp) {
    startEngine();
    add("1");
    const auto request = requestFor("1");

    request->respond(200, {{"Content-Length", "1000"}, {"ETag", "\"v1\""}});
    EXPECT_EQ(recordFor("1")->fileSize(), "1000");
    // Written after the headers: seven keys and the validator.
    auto stored = storedRecord("1");
    EXPECT_EQ(stored.at("filesize"), "1000");
    EXPECT_FALSE(stored.contains("filerecievesize"));
    EXPECT_EQ(stored.at("filevalidator"), "\"v1\"");

    request->receive(300);
    request->receive(200);
    EXPECT_EQ(recordFor("1")->fileReceivedSize(), "500");
    EXPECT_EQ(storedRecord("1").at("filerecievesize"), "500");
    EXPECT_TRUE(logged("下载数据: 300"));
}

TEST_F(ProgressTest, NoContentLengthStoresZero) {
    startEngine();
    add("1");
    requestFor("1")->respond(200, {});
    EXPECT_EQ(recordFor("1")->fileSize(), "0");
    EXPECT_EQ(storedRecord("1").at("filesize"), "0");
}

TEST_F(ProgressTest, AResumedResponseKeepsTheSizeAndTheFirstReportIsTheRunningTotal) {
    startEngine();
    add("1");
    auto request = requestFor("1");
    // A redirect's own length and tag say nothing about the video.
    request->respond(302, {{"Content-Length", "154"}, {"Location", "http://127.0.0.1:8080/v/1.mp4"}, {"ETag", "\"r\""}});
    EXPECT_FALSE(recordFor("1")->fileSize().has_value());
    request->respond(200, {{"Content-Length", "1000"}, {"Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"}});
    request->receive(400);
    engine->stopRequest(*request);
    engine->resumeRequest(*requestFor("1"));

    request = requestFor("1");
    EXPECT_EQ(request->startCount, 1);
    request->respond(307, {{"Content-Length", "99"}, {"Location", "http://127.0.0.1:8080/v/1.mp4"}});
    EXPECT_EQ(recordFor("1")->fileSize(), "1000");
    request->respond(206, {{"Content-Range", "bytes 400-999/1000"}, {"Content-Length", "600"}});
    EXPECT_EQ(recordFor("1")->fileSize(), "1000");
    EXPECT_EQ(recordFor("1")->fileValidator(), "Mon, 01 Jan 2024 00:00:00 GMT");
    request->receive(450);  // 400 on disk + 50 new
    EXPECT_EQ(recordFor("1")->fileReceivedSize(), "450");
    request->receive(50);
    EXPECT_EQ(recordFor("1")->fileReceivedSize(), "500");
}

TEST_F(ProgressTest, TheStoredValidatorGoesOutOnlyWithBytesToResumeFrom) {
    FileModel record;
    record.setTempPath(tempFolder() + "/9");
    record.setFileValidator("\"abc\"");
    EXPECT_EQ(FilesDownManage::ifRangeValidator(record), std::nullopt);  // no partial file
    writeFile(tempFolder() + "/9", "");
    EXPECT_EQ(FilesDownManage::ifRangeValidator(record), std::nullopt);  // empty partial file
    writeFile(tempFolder() + "/9", "bytes");
    EXPECT_EQ(FilesDownManage::ifRangeValidator(record), "\"abc\"");
    record.setFileValidator(std::nullopt);
    EXPECT_EQ(FilesDownManage::ifRangeValidator(record), std::nullopt);
}

TEST_F(ProgressTest, AChangedVideoStartsAgainWithItsNewValidator) {
    startEngine();
    add("1");
    auto request = requestFor("1");
    request->respond(200, {{"Content-Length", "1000"}, {"ETag", "W/\"weak\""}, {"Last-Modified", "old"}});
    EXPECT_EQ(recordFor("1")->fileValidator(), "old");  // a weak ETag cannot be compared
    request->receive(400);
    engine->stopRequest(*request);
    engine->resumeRequest(*requestFor("1"));
    EXPECT_EQ(FilesDownManage::ifRangeValidator(*recordFor("1")), "old");

    // The server's file changed: it ignores the range and sends the whole new file.
    request = requestFor("1");
    request->respond(200, {{"Content-Length", "2000"}, {"ETag", "\"new\""}});
    EXPECT_EQ(recordFor("1")->fileSize(), "2000");
    EXPECT_EQ(recordFor("1")->fileValidator(), "\"new\"");
    request->receive(100);
    EXPECT_EQ(recordFor("1")->fileReceivedSize(), "100");
    EXPECT_EQ(storedRecord("1").at("filevalidator"), "\"new\"");
}

TEST_F(ProgressTest, ErrorRepliesRecordNoProgressButTheRowStillHears) {
    startEngine();
    add("1");
    const auto request = requestFor("1");
    request->respond(404, {{"Content-Length", "20"}});
    const int updates = delegate->updates;
    request->receive(20);
    EXPECT_FALSE(recordFor("1")->fileReceivedSize().has_value());
    EXPECT_EQ(delegate->updates, updates + 1);
}

}  // namespace
