#include "platform/foundation/Json.h"
#include "tests/download/EngineFixture.h"

using qelvo::test::EngineFixture;

namespace {

class AddingTest : public EngineFixture {};

TEST_F(AddingTest, ANewVideoGetsItsPathsRecordFileAndAConfiguredRequest) {
    startEngine();
    engine->downFileUrl("http://127.0.0.1:8080/video/123.mp4?from=app", "123", "mp4", "增值税申报");

    EXPECT_EQ(lastToast(), "已添加到下载列表,请到课程下载中查看!");
    const auto record = recordFor("123");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->fileType(), "mp4");
    EXPECT_EQ(record->targetPath(), targetFolder() + "/123.mp4");
    EXPECT_EQ(record->tempPath(), tempFolder() + "/123");
    EXPECT_EQ(record->fileByName(), "增值税申报");
    EXPECT_EQ(record->time(), CommonHelper::dateToString(clock->wallNow()));
    EXPECT_EQ(engine->fileInfo(), record);
    EXPECT_TRUE(logged("targetPath is: " + targetFolder() + "/123.mp4"));
    EXPECT_TRUE(logged("tempFilePath is: " + tempFolder() + "/123.plist"));
    EXPECT_TRUE(logged("notifiDown is: (null),是否3G 0"));

    const auto request = requestFor("123");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->url(), "http://127.0.0.1:8080/video/123.mp4?from=app");
    EXPECT_EQ(request->downloadDestinationPath(), targetFolder() + "/123.mp4");
    EXPECT_EQ(request->temporaryFileDownloadPath(), tempFolder() + "/123");
    EXPECT_EQ(request->numberOfTimesToRetryOnTimeout(), 2);
    EXPECT_TRUE(request->allowResumeForFileDownloads());
    EXPECT_DOUBLE_EQ(request->timeOutSeconds(), 30.0);
    EXPECT_EQ(request->startCount, 1);
    EXPECT_GE(delegate->updates, 1);

    // Written before the first response: six keys.
    const auto stored = platform::PropertyList::read(tempFolder() + "/123.plist");
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, (platform::Value{{"byname", "增值税申报"},
                                        {"filename", "123"},
                                        {"fileurl", "http://127.0.0.1:8080/video/123.mp4?from=app"},
                                        {"time", *record->time()},
                                        {"basepath", "DownLoad"},
                                        {"tarpath", "mp4"}}));
}

TEST_F(AddingTest, AddingTwiceBeforeAndAfterCompletionIsRefusedByTheFilesOnDisk) {
    startEngine();
    add("5");
    add("5");
    EXPECT_EQ(lastToast(), "已在下载列表,请到课程下载中查看");
    EXPECT_EQ(engine->filelist().size(), 1U);

    const auto request = requestFor("5");
    request->respond(200, {{"Content-Length", "3"}});
    request->receive(3);
    request->finish();

    add("5");
    EXPECT_EQ(lastToast(), "您已下载该视频,请到课程下载中查看");
    EXPECT_TRUE(engine->filelist().empty());
    EXPECT_EQ(engine->finishedlist().size(), 1U);
}

TEST_F(AddingTest, AnAddressWithoutExtensionNamesTheSameFileBeforeAndAfterARestart) {
    startEngine();
    engine->downFileUrl("http://127.0.0.1:8080/video/stream?id=9", "9", "mp4", "课程9");
    EXPECT_EQ(recordFor("9")->targetPath(), targetFolder() + "/9.mp4");

    engine.reset();
    made.clear();
    startEngine();
    ASSERT_TRUE(recordFor("9"));
    EXPECT_EQ(recordFor("9")->targetPath(), targetFolder() + "/9.mp4");
    engine->resumeRequest(*requestFor("9"));
    requestFor("9")->respond(200, {{"Content-Length", "3"}});
    requestFor("9")->receive(3);
    requestFor("9")->finish();
    engine->downFileUrl("http://127.0.0.1:8080/video/stream?id=9", "9", "mp4", "课程9");
    EXPECT_EQ(lastToast(), FilesDownManage::kToastAlreadyDownloaded) << "the finished video is not fetched twice";
}

TEST_F(AddingTest, FreeSpaceMustReachThreeHundredMebibytes) {
    startEngine();
    freeSpace = 314'572'799;
    add("1");
    EXPECT_EQ(lastToast(), "磁盘空间不足,请先清理手机的空间!");
    EXPECT_TRUE(engine->filelist().empty());
    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/1.plist"));

    freeSpace = 314'572'800;
    add("1");
    EXPECT_EQ(lastToast(), "已添加到下载列表,请到课程下载中查看!");
    EXPECT_EQ(engine->filelist().size(), 1U);
}

TEST_F(AddingTest, CellularNetworkRefusesUnlessAllowedAndThenWarns) {
    startEngine();
    cellular = true;
    add("1");
    EXPECT_EQ(Toast::visibleToastTexts(), std::vector<std::string>{"3G网络下禁止下载,请去学员中心设置!"});
    EXPECT_TRUE(engine->filelist().empty());

    platform::UserDefaults::standard().setObject("yes", "notWifiDown");
    add("1");
    const auto texts = Toast::visibleToastTexts();
    ASSERT_EQ(texts.size(), 3U);
    EXPECT_EQ(texts[1], "使用3G网络下载可能会产生比较多的流量费用");
    EXPECT_EQ(texts[2], "已添加到下载列表,请到课程下载中查看!");
    EXPECT_TRUE(logged("notifiDown is: yes,是否3G 1"));
}

TEST_F(AddingTest, UnsafeFileIdentifiersNeverReachTheFileSystem) {
    for (const char* bad : {"", ".", "..", "../1", "a/b", "a\\b", "a\nb", "a\tb", "\x7f"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(FilesDownManage::isSafeFileID(bad));
    }
    for (const char* good : {"123", "video-1.part", "课程", "a b", "..."}) {
        EXPECT_TRUE(FilesDownManage::isSafeFileID(good)) << good;
    }

    startEngine();
    engine->downFileUrl("http://127.0.0.1:8080/video/x.mp4", "../../escape", "mp4", "x");
    EXPECT_TRUE(engine->filelist().empty());
    EXPECT_TRUE(made.empty());
    EXPECT_TRUE(Toast::visibleToastTexts().empty());
    EXPECT_FALSE(platform::FileSystem::exists(documents() + "/escape.plist"));
    EXPECT_FALSE(platform::FileSystem::exists(documents() + "/DownLoad/escape.plist"));
}

}  // namespace
