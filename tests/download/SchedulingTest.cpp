#include "tests/download/EngineFixture.h"

using qelvo::test::EngineFixture;

namespace {

class SchedulingTest : public EngineFixture {};

TEST_F(SchedulingTest, OneSlotRunsTheFirstOfThreeAndTheSecondTakesOverWhenItCompletes) {
    startEngine();
    add("1");
    add("2");
    add("3");

    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("kMaxRequestCount"), "1");
    EXPECT_EQ(stateOf("1"), "downloading");
    EXPECT_EQ(stateOf("2"), "waiting");
    EXPECT_EQ(stateOf("3"), "waiting");
    ASSERT_EQ(engine->downinglist().size(), 3U);
    EXPECT_EQ(requestFor("1")->startCount, 1);
    EXPECT_EQ(requestFor("2")->startCount, 0);
    EXPECT_EQ(engine->count(), 3U);

    const auto first = requestFor("1");
    first->respond(200, {{"Content-Length", "10"}});
    first->receive(10);
    first->finish();

    EXPECT_EQ(stateOf("1"), "absent");
    ASSERT_EQ(engine->finishedlist().size(), 1U);
    EXPECT_EQ(engine->finishedlist()[0]->fileName(), "1");
    EXPECT_EQ(stateOf("2"), "downloading");
    EXPECT_EQ(requestFor("2")->startCount, 1);
    EXPECT_EQ(stateOf("3"), "waiting");
    EXPECT_EQ(delegate->finished, std::vector<std::string>{"http://127.0.0.1:8080/video/1.mp4"});
    EXPECT_TRUE(platform::FileSystem::exists(targetFolder() + "/1.mp4"));
    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/1.plist"));
    const auto finishedFile = platform::PropertyList::read(documents() + "/DownLoad/finishPlist.plist");
    ASSERT_TRUE(finishedFile);
    ASSERT_EQ(finishedFile->size(), 1U);
    EXPECT_EQ((*finishedFile)[0].at("filename"), "1");
    EXPECT_EQ((*finishedFile)[0].at("filesize"), "10");
}

TEST_F(SchedulingTest, TappingAWaitingVideoPromotesItAndTheRunningOneWaits) {
    startEngine();
    add("1");
    add("2");
    add("3");
    const auto first = requestFor("1");

    engine->resumeRequest(*requestFor("3"));

    EXPECT_EQ(stateOf("3"), "downloading");
    EXPECT_EQ(stateOf("1"), "waiting");
    EXPECT_EQ(stateOf("2"), "waiting");
    EXPECT_EQ(requestFor("3")->startCount, 1);
    EXPECT_EQ(first->cancelCount, 1);
    EXPECT_TRUE(first->detached());
    // The waiting video keeps its place in the rows.
    EXPECT_EQ(FilesDownManage::recordOf(*engine->downinglist()[0])->fileName(), "1");
}

TEST_F(SchedulingTest, StoppingTheRunningVideoStartsTheWaitingOne) {
    startEngine();
    add("1");
    add("2");

    engine->stopRequest(*requestFor("1"));

    EXPECT_EQ(stateOf("1"), "stopped");
    EXPECT_EQ(stateOf("2"), "downloading");
    EXPECT_EQ(requestFor("2")->startCount, 1);
    EXPECT_EQ(requestFor("1")->cancelCount, 1);
}

TEST_F(SchedulingTest, AFailureMarksTheVideoFailedAndStartsNothing) {
    startEngine();
    add("1");
    add("2");

    requestFor("1")->fail(HTTPRequestErrorCode::ConnectionFailure, "A connection failure occurred");

    EXPECT_EQ(stateOf("1"), "failed");
    EXPECT_EQ(stateOf("2"), "waiting");
    EXPECT_EQ(requestFor("2")->startCount, 0);

    // The next pass (here a resume of the failed one) gives the slot out again.
    engine->resumeRequest(*requestFor("1"));
    EXPECT_EQ(stateOf("1"), "downloading");
    EXPECT_EQ(requestFor("1")->startCount, 1);
    EXPECT_EQ(stateOf("2"), "waiting");
}

TEST_F(SchedulingTest, ACancelledRequestIsNoFailure) {
    startEngine();
    add("1");
    const auto request = requestFor("1");
    const int updates = delegate->updates;

    request->fail(HTTPRequestErrorCode::Cancelled, "The request was cancelled");

    EXPECT_EQ(stateOf("1"), "downloading");
    EXPECT_EQ(delegate->updates, updates);
}

TEST_F(SchedulingTest, ErrorStatusesFailTheVideoListNothingAndKeepThePartialFile) {
    for (const int status : {404, 403, 500, 401, 410, 503}) {
        SCOPED_TRACE(status);
        engine.reset();
        made.clear();
        platform::FileSystem::remove(documents() + "/DownLoad");
        startEngine();
        add("1");
        add("2");
        writeFile(tempFolder() + "/1", "partial");
        const auto request = requestFor("1");
        request->respond(status, {{"Content-Length", "9"}});
        request->receive(9);
        EXPECT_FALSE(recordFor("1")->fileSize().has_value()) << "an error page's length is no video size";
        EXPECT_FALSE(recordFor("1")->fileReceivedSize().has_value());
        request->finish();

        EXPECT_EQ(stateOf("1"), "failed");
        EXPECT_EQ(request->cancelCount, 1);
        EXPECT_FALSE(platform::FileSystem::exists(targetFolder() + "/1.mp4"));
        EXPECT_TRUE(platform::FileSystem::exists(tempFolder() + "/1.plist"));
        EXPECT_EQ(platform::FileSystem::readFile(tempFolder() + "/1"), "partial");
        EXPECT_TRUE(engine->finishedlist().empty());
        EXPECT_FALSE(platform::FileSystem::exists(engine->finishedListPath()));
        // The pass after the failure hands the slot to the next video.
        EXPECT_EQ(stateOf("2"), "downloading");
        EXPECT_TRUE(logged("下载完成:" + std::to_string(status)));
        // The video is still an unfinished download, not a finished one.
        add("1");
        EXPECT_EQ(lastToast(), FilesDownManage::kToastAlreadyListed);
    }
}

TEST_F(SchedulingTest, AFullDiskFailsTheVideoWithTheDiskSpaceToastAndKeepsItsPartialFile) {
    startEngine();
    add("1");
    const auto request = requestFor("1");
    request->respond(200, {{"Content-Length", "1000"}});
    request->receive(400);
    request->fail(HTTPRequestErrorCode::FileHandling, "Failed to write to file at path '" + tempFolder() + "/1'", true);

    EXPECT_EQ(lastToast(), FilesDownManage::kToastNoDiskSpace);
    EXPECT_EQ(stateOf("1"), "failed");
    EXPECT_EQ(platform::FileSystem::fileSize(tempFolder() + "/1"), 400U);
    EXPECT_EQ(recordFor("1")->fileReceivedSize(), "400");

    // Other file failures are not the disk's: no toast.
    const auto toasts = Toast::visibleToastTexts().size();
    engine->resumeRequest(*requestFor("1"));
    requestFor("1")->fail(HTTPRequestErrorCode::FileHandling, "Failed to move file");
    EXPECT_EQ(Toast::visibleToastTexts().size(), toasts);
}

TEST_F(SchedulingTest, StopAllStopsRunningAndWaitingAndNothingRestarts) {
    startEngine();
    add("1");
    add("2");

    engine->stopAllRequest();

    EXPECT_EQ(stateOf("1"), "stopped");
    EXPECT_EQ(stateOf("2"), "stopped");
    EXPECT_EQ(requestFor("1")->cancelCount, 1);
    EXPECT_EQ(requestFor("2")->startCount, 0);
    EXPECT_TRUE(logged("停止下载任务: 1"));
    EXPECT_TRUE(logged("停止下载任务: 2"));
}

TEST_F(SchedulingTest, StopAllWithNoRequestsRunsNoPass) {
    startEngine();
    // A record the pass has not seen yet: a pass would give it a request and the slot.
    auto record = std::make_shared<FileModel>();
    record->setFileName("7");
    record->setFileURL("http://127.0.0.1:8080/video/7.mp4");
    record->setTempPath(tempFolder() + "/7");
    record->setWillDownloading(true);
    engine->filelist().push_back(record);

    engine->stopAllRequest();

    EXPECT_TRUE(engine->downinglist().empty());
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(record->state(), FileModel::State::Waiting);
}

TEST_F(SchedulingTest, MaxRequestCountBelowOneCountsAsOne) {
    for (const char* stored : {"0", "-3", "abc"}) {
        SCOPED_TRACE(stored);
        platform::UserDefaults::standard().setObject(stored, "kMaxRequestCount");
        EXPECT_EQ(FilesDownManage::maxRequestCount(), 1);
    }
    platform::UserDefaults::standard().setObject("0", "kMaxRequestCount");
    startEngine();
    add("1");
    add("2");
    EXPECT_EQ(stateOf("1"), "downloading");
    EXPECT_EQ(stateOf("2"), "waiting");
    // An existing value is kept as it is.
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("kMaxRequestCount"), "0");
}

TEST_F(SchedulingTest, TwoSlotsRunTwoAndResumeGivesUpTheLatestSlot) {
    platform::UserDefaults::standard().setObject("2", "kMaxRequestCount");
    startEngine();
    add("1");
    add("2");
    add("3");
    EXPECT_EQ(stateOf("1"), "downloading");
    EXPECT_EQ(stateOf("2"), "downloading");
    EXPECT_EQ(stateOf("3"), "waiting");

    engine->resumeRequest(*requestFor("3"));

    EXPECT_EQ(stateOf("1"), "downloading");
    EXPECT_EQ(stateOf("2"), "waiting");
    EXPECT_EQ(stateOf("3"), "downloading");
}

TEST_F(SchedulingTest, ResumeOnCellularIsRefusedUnlessAllowed) {
    startEngine();
    add("1");
    engine->stopRequest(*requestFor("1"));
    cellular = true;

    engine->resumeRequest(*requestFor("1"));
    EXPECT_EQ(lastToast(), "3G网络下禁止下载,请去学员中心设置!");
    EXPECT_EQ(stateOf("1"), "stopped");

    platform::UserDefaults::standard().setObject("yes", "notWifiDown");
    engine->resumeRequest(*requestFor("1"));
    EXPECT_EQ(stateOf("1"), "downloading");
}

TEST_F(SchedulingTest, DeletingARunningVideoRemovesItsFilesAndStartsTheNext) {
    startEngine();
    add("1");
    add("2");
    const auto first = requestFor("1");
    first->respond(200, {{"Content-Length", "100"}});
    first->receive(40);
    ASSERT_TRUE(platform::FileSystem::exists(tempFolder() + "/1"));

    engine->deleteRequest(*first);

    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/1"));
    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/1.plist"));
    EXPECT_EQ(stateOf("1"), "absent");
    EXPECT_EQ(requestFor("1"), nullptr);
    EXPECT_EQ(stateOf("2"), "downloading");
    EXPECT_EQ(engine->count(), 1U);
}

TEST_F(SchedulingTest, ClearingEverythingUnfinishedDeletesTheirFiles) {
    startEngine();
    add("1");
    add("2");
    requestFor("1")->receive(5);

    engine->clearAllRquests();

    EXPECT_TRUE(engine->filelist().empty());
    EXPECT_TRUE(engine->downinglist().empty());
    for (const char* name : {"1", "1.plist", "2.plist"}) {
        EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/" + name)) << name;
    }
}

}  // namespace
