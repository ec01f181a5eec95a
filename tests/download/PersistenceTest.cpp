#include "platform/foundation/Json.h"
#include "tests/download/EngineFixture.h"

using platform::Value;
using qelvo::test::EngineFixture;

namespace {

class PersistenceTest : public EngineFixture {
protected:
    void writeRecord(const std::string& id, Value dict) {
        platform::FileSystem::createDirectories(tempFolder());
        ASSERT_TRUE(platform::PropertyList::writeAtomically(dict, tempFolder() + "/" + id + ".plist"));
    }

    static Value sixKeys(const std::string& id, const std::string& time) {
        return Value{{"byname", "课程" + id},
                     {"filename", id},
                     {"fileurl", "http://127.0.0.1:8080/video/" + id + ".flv"},
                     {"time", time},
                     {"basepath", "DownLoad"},
                     {"tarpath", "mp4"}};
    }

    void writeFinishedList(const Value& entries) {
        platform::FileSystem::createDirectories(documents() + "/DownLoad");
        ASSERT_TRUE(
            platform::PropertyList::writeAtomically(entries, documents() + "/DownLoad/finishPlist.plist"));
    }
};

TEST_F(PersistenceTest, SixAndSevenKeyRecordsReadBackStoppedWithTheMp4Target) {
    writeRecord("1", sixKeys("1", "03-15 09:30:00"));
    Value seven = sixKeys("2", "03-15 09:31:00");
    seven["filesize"] = "1000";
    writeRecord("2", seven);
    writeFile(tempFolder() + "/2", "partial");

    startEngine();

    ASSERT_EQ(engine->filelist().size(), 2U);
    const auto six = recordFor("1");
    EXPECT_FALSE(six->fileSize().has_value());
    EXPECT_FALSE(six->fileReceivedSize().has_value());
    EXPECT_EQ(six->targetPath(), targetFolder() + "/1.mp4");
    EXPECT_EQ(six->tempPath(), tempFolder() + "/1");
    EXPECT_EQ(six->fileType(), "");
    EXPECT_EQ(six->fileByName(), "课程1");
    EXPECT_EQ(recordFor("2")->fileSize(), "1000");
    EXPECT_FALSE(recordFor("2")->fileReceivedSize().has_value());
    // Partial files are never read as records.
    EXPECT_EQ(recordFor("2")->fileURL(), "http://127.0.0.1:8080/video/2.flv");
}

TEST_F(PersistenceTest, AfterARestartEveryUnfinishedDownloadIsStoppedUntilResumed) {
    writeRecord("1", sixKeys("1", "03-15 09:30:00"));
    writeRecord("2", sixKeys("2", "03-15 09:31:00"));

    startEngine();

    EXPECT_EQ(stateOf("1"), "stopped");
    EXPECT_EQ(stateOf("2"), "stopped");
    ASSERT_EQ(made.size(), 2U);
    for (const auto& request : made) {
        EXPECT_EQ(request->startCount, 0);
    }
    engine->resumeRequest(*requestFor("2"));
    EXPECT_EQ(stateOf("2"), "downloading");
    EXPECT_EQ(requestFor("2")->startCount, 1);
    EXPECT_EQ(stateOf("1"), "stopped");
}

TEST_F(PersistenceTest, RecordsComeBackOldestFirstAlthoughTimesHaveNoYear) {
    writeRecord("late", sixKeys("late", "12-31 23:59:00"));
    writeRecord("early", sixKeys("early", "01-01 00:01:00"));
    writeRecord("middle", sixKeys("middle", "06-15 12:00:00"));

    startEngine();

    ASSERT_EQ(engine->filelist().size(), 3U);
    EXPECT_EQ(engine->filelist()[0]->fileName(), "early");
    EXPECT_EQ(engine->filelist()[1]->fileName(), "middle");
    EXPECT_EQ(engine->filelist()[2]->fileName(), "late");
}

TEST_F(PersistenceTest, SortingKeepsOrderAroundTimesThatCannotBeRead) {
    std::vector<std::shared_ptr<FileModel>> records;
    for (const char* time : {"02-01 00:00:00", "garbage", "01-01 00:00:00"}) {
        auto record = std::make_shared<FileModel>();
        record->setTime(time);
        records.push_back(record);
    }
    const auto sorted = FilesDownManage::sortbyTime(records);
    ASSERT_EQ(sorted.size(), 3U);
    // The unreadable one compares equal to both neighbours, so it stops the later one.
    EXPECT_EQ(sorted[0], records[0]);
    EXPECT_EQ(sorted[1], records[1]);
    EXPECT_EQ(sorted[2], records[2]);
    EXPECT_EQ(FilesDownManage::sortbyTime({records[2], records[0]})[0], records[2]);
}

TEST_F(PersistenceTest, UnreadableRecordFilesAreSetAsideAndTheirVideoCanBeAddedAgain) {
    writeRecord("good", sixKeys("good", "03-15 09:30:00"));
    writeFile(tempFolder() + "/broken.plist", "<plist><dict><key>filename");
    writeFile(tempFolder() + "/broken", "12345");
    Value noName = sixKeys("x", "03-15 09:30:00");
    noName.erase("filename");
    writeRecord("noname", noName);
    Value escaping = sixKeys("../evil", "03-15 09:30:00");
    writeRecord("escaping", escaping);
    writeRecord("array", Value::array({"filename"}));

    startEngine();

    ASSERT_EQ(engine->filelist().size(), 1U);
    EXPECT_EQ(engine->filelist()[0]->fileName(), "good");
    const auto entries = platform::FileSystem::list(tempFolder()).value_or(std::vector<std::string>{});
    for (const std::string name : {"broken", "noname", "escaping", "array"}) {
        EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/" + name + ".plist")) << name;
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                [&](const std::string& entry) { return entry.starts_with(name + ".plist.corrupt-"); }),
                  1)
            << name << " is kept aside";
    }
    EXPECT_TRUE(logged("Skipping unreadable download record at path '" + tempFolder() + "/broken.plist'"));
    EXPECT_TRUE(logged("Skipping download record without a usable filename at path '" + tempFolder() +
                       "/noname.plist'"));

    // Adding the video again is accepted and goes on from its partial file; deleting it deletes that.
    add("broken");
    EXPECT_EQ(lastToast(), FilesDownManage::kToastAdded);
    ASSERT_TRUE(requestFor("broken"));
    EXPECT_EQ(requestFor("broken")->temporaryFileDownloadPath(), tempFolder() + "/broken");
    EXPECT_TRUE(requestFor("broken")->allowResumeForFileDownloads());
    EXPECT_EQ(platform::FileSystem::readFile(tempFolder() + "/broken"), "12345");
    engine->deleteRequest(*requestFor("broken"));
    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/broken"));
}

TEST_F(PersistenceTest, GetTempfileTakesTheRecordsFolders) {
    Value other = sixKeys("1", "03-15 09:30:00");
    other["basepath"] = "Other";
    other["tarpath"] = "flv";
    writeRecord("1", other);
    startEngine();
    const auto record = engine->getTempfile(tempFolder() + "/1.plist");
    ASSERT_TRUE(record);
    EXPECT_EQ(engine->basepath(), "Other");
    EXPECT_EQ(engine->targetSubPath(), "flv");
    EXPECT_EQ(record->targetPath(), documents() + "/Other/flv/1.mp4");
    EXPECT_EQ(record->tempPath(), documents() + "/Other/Temp/1");
}

TEST_F(PersistenceTest, VideosAddedWhileTheRebuildRunsKeepTheirPlaceAfterTheReadBackOnes) {
    writeRecord("old", sixKeys("old", "03-15 09:30:00"));
    engine = FilesDownManage::create("DownLoad", {"DownLoad/mp4"}, environment());
    // The rebuild has not reached the main thread yet: the lists are the main thread's.
    add("new");
    waitForRebuild();
    platform::RunLoop::main().runPending();

    ASSERT_EQ(engine->filelist().size(), 2U);
    EXPECT_EQ(engine->filelist()[0]->fileName(), "old");
    EXPECT_EQ(engine->filelist()[1]->fileName(), "new");
    EXPECT_EQ(stateOf("new"), "downloading");
    EXPECT_EQ(stateOf("old"), "stopped");
    EXPECT_EQ(engine->downinglist().size(), 2U);
}

TEST_F(PersistenceTest, ARecordDeletedBeforeTheRebuildLandsStaysGone) {
    writeRecord("gone", sixKeys("gone", "03-15 09:30:00"));
    engine = FilesDownManage::create("DownLoad", {"DownLoad/mp4"}, environment());
    platform::DispatchQueue::global().waitUntilIdle();
    platform::FileSystem::remove(tempFolder() + "/gone.plist");
    waitForRebuild();
    EXPECT_TRUE(engine->filelist().empty());
}

TEST_F(PersistenceTest, FinishedPathsMoveToTheCurrentContainer) {
    writeFinishedList(Value::array({
        Value{{"filename", "123"},
              {"time", "03-15 09:30:00"},
              {"filesize", "1000"},
              {"filepath", "/old/container/Documents/DownLoad/mp4/123.mp4"},
              {"byname", "课程"}},
        Value{{"filename", "456"}, {"time", "03-15 09:31:00"}},
    }));
    startEngine();

    ASSERT_EQ(engine->finishedlist().size(), 2U);
    const auto& first = engine->finishedlist()[0];
    EXPECT_EQ(first->targetPath(), documents() + "/DownLoad/mp4/123.mp4");
    EXPECT_EQ(first->fileSize(), "1000");
    EXPECT_EQ(first->fileByName(), "课程");
    EXPECT_FALSE(first->fileURL().has_value());
    EXPECT_FALSE(engine->finishedlist()[1]->targetPath().has_value());
    EXPECT_TRUE(logged("plistPath is: " + documents() + "/DownLoad/finishPlist.plist"));
}

TEST_F(PersistenceTest, APathWithoutDocumentsKeepsAUsableFileInTheDownloadFolder) {
    writeFile(targetFolder() + "/77.mp4", "video");
    writeFinishedList(Value::array({
        Value{{"filename", "77"}, {"time", "03-15 09:30:00"}, {"filepath", "/var/mobile/Media/77.mp4"}},
        Value{{"filename", "78"}, {"time", "03-15 09:30:00"}, {"filepath", "/var/mobile/Media/78.mp4"}},
        Value{{"filename", "79"},
              {"time", "03-15 09:30:00"},
              {"filepath", "/home/Documents/box/Documents/DownLoad/mp4/77.mp4"}},
    }));
    startEngine();

    ASSERT_EQ(engine->finishedlist().size(), 3U);
    EXPECT_EQ(engine->finishedlist()[0]->targetPath(), targetFolder() + "/77.mp4");
    EXPECT_FALSE(engine->finishedlist()[1]->targetPath().has_value());  // no such file anywhere
    EXPECT_EQ(engine->finishedlist()[2]->targetPath(), targetFolder() + "/77.mp4");
}

TEST_F(PersistenceTest, AnUnreadableFinishedListIsSetAsideAndEveryVideoStaysListed) {
    Value entries = Value::array();
    for (const std::string id : {"1", "2", "3"}) {
        writeFile(targetFolder() + "/" + id + ".mp4", "video " + id);
        entries.push_back(Value{{"filename", id},
                                {"time", "03-15 09:3" + id + ":00"},
                                {"filesize", "7"},
                                {"filepath", targetFolder() + "/" + id + ".mp4"},
                                {"byname", "课程" + id}});
    }
    writeFinishedList(entries);
    const std::string path = documents() + "/DownLoad/finishPlist.plist";
    const std::string whole = *platform::FileSystem::readFile(path);
    const std::string cut = whole.substr(0, whole.rfind("<key>byname</key>"));  // inside the third entry
    writeFile(path, cut);

    startEngine();

    ASSERT_EQ(engine->finishedlist().size(), 3U);
    for (const std::string id : {"1", "2", "3"}) {
        const auto found = std::find_if(engine->finishedlist().begin(), engine->finishedlist().end(),
                                        [&](const auto& record) { return record->fileName() == id; });
        ASSERT_NE(found, engine->finishedlist().end()) << id;
        EXPECT_EQ((*found)->targetPath(), targetFolder() + "/" + id + ".mp4");
        EXPECT_EQ((*found)->fileSize(), "7");
        // Names from the kept copy where its entries can still be read, else the identifier.
        EXPECT_EQ((*found)->fileByName(), id == "3" ? "3" : "课程" + id);
    }
    const auto kept = platform::FileSystem::list(documents() + "/DownLoad").value_or(std::vector<std::string>{});
    const auto copy = std::find_if(kept.begin(), kept.end(),
                                   [](const std::string& name) { return name.starts_with("finishPlist.plist.corrupt-"); });
    ASSERT_NE(copy, kept.end());
    EXPECT_EQ(platform::FileSystem::readFile(documents() + "/DownLoad/" + *copy), cut);
    ASSERT_TRUE(platform::PropertyList::read(path));
    EXPECT_EQ(platform::PropertyList::read(path)->size(), 3U) << "the list on disk is whole again";

    // Leaving the downloads screen and finishing another video keep every entry.
    engine->saveFinishedFile();
    add("4");
    requestFor("4")->respond(200, {{"Content-Length", "3"}});
    requestFor("4")->receive(3);
    requestFor("4")->finish();
    EXPECT_EQ(platform::PropertyList::read(path)->size(), 4U);
    add("1");
    EXPECT_EQ(lastToast(), FilesDownManage::kToastAlreadyDownloaded);
}

TEST_F(PersistenceTest, AProcessEndedBetweenTwoWritesLosesNoFinishedVideo) {
    const std::string path = documents() + "/DownLoad/finishPlist.plist";
    // Ended after the move into place, before the list was written: the record file is still there.
    writeRecord("7", sixKeys("7", "03-15 09:30:00"));
    writeFile(targetFolder() + "/7.mp4", "seven");
    // Ended after the list was written, before the record file went.
    writeRecord("8", sixKeys("8", "03-15 09:31:00"));
    writeFile(targetFolder() + "/8.mp4", "eight");
    writeFinishedList(Value::array(
        {Value{{"filename", "8"}, {"time", "03-15 09:31:00"}, {"filepath", targetFolder() + "/8.mp4"}, {"byname", "课程8"}}}));

    startEngine();

    EXPECT_TRUE(engine->filelist().empty()) << "neither comes back unfinished";
    ASSERT_EQ(engine->finishedlist().size(), 2U);
    EXPECT_EQ(engine->finishedlist()[1]->fileName(), "7");
    EXPECT_EQ(engine->finishedlist()[1]->fileByName(), "课程7");
    EXPECT_EQ(engine->finishedlist()[1]->time(), "03-15 09:30:00");
    EXPECT_EQ(engine->finishedlist()[1]->fileSize(), "5");
    EXPECT_EQ(platform::PropertyList::read(path)->size(), 2U);
    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/7.plist"));
    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/8.plist"));

    // The list is written before the record goes: when it cannot be written, the record stays
    // and the next launch lists the video from it.
    add("9");
    platform::FileSystem::remove(path);
    platform::FileSystem::createDirectories(path);  // a folder in the list's place: writes fail
    requestFor("9")->respond(200, {{"Content-Length", "4"}});
    requestFor("9")->receive(4);
    requestFor("9")->finish();
    EXPECT_TRUE(logged("write plist fail"));
    EXPECT_TRUE(platform::FileSystem::exists(tempFolder() + "/9.plist"));
    engine.reset();
    platform::FileSystem::remove(path);
    startEngine();
    EXPECT_TRUE(engine->filelist().empty());
    EXPECT_EQ(engine->finishedlist().size(), 3U);
    EXPECT_FALSE(platform::FileSystem::exists(tempFolder() + "/9.plist"));
}

TEST_F(PersistenceTest, DeletingAFinishedVideoRemovesItsFileAndEntry) {
    writeFile(targetFolder() + "/1.mp4", "one");
    writeFile(targetFolder() + "/2.mp4", "two");
    writeFinishedList(Value::array({
        Value{{"filename", "1"}, {"time", "t"}, {"filesize", "3"}, {"filepath", targetFolder() + "/1.mp4"}},
        Value{{"filename", "2"}, {"time", "t"}, {"filesize", "3"}, {"filepath", targetFolder() + "/2.mp4"}},
    }));
    startEngine();
    const auto first = engine->finishedlist()[0];

    engine->deleteFinishFile(first);

    EXPECT_FALSE(platform::FileSystem::exists(targetFolder() + "/1.mp4"));
    EXPECT_EQ(engine->finishedlist().size(), 1U);
    auto stored = platform::PropertyList::read(documents() + "/DownLoad/finishPlist.plist");
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 1U);
    EXPECT_EQ((*stored)[0].at("filename"), "2");
    EXPECT_TRUE(logged("selectedFile target path is: " + targetFolder() + "/1.mp4"));

    // An entry already missing from the file: the video still goes, the file is unchanged.
    writeFinishedList(Value::array());
    engine->deleteFinishFile(engine->finishedlist()[0]);
    EXPECT_FALSE(platform::FileSystem::exists(targetFolder() + "/2.mp4"));
    EXPECT_EQ(platform::PropertyList::read(documents() + "/DownLoad/finishPlist.plist"), Value::array());
}

TEST_F(PersistenceTest, ClearingAllFinishedRemovesEveryFileAndEntry) {
    writeFile(targetFolder() + "/1.mp4", "one");
    writeFile(targetFolder() + "/2.mp4", "two");
    writeFinishedList(Value::array({
        Value{{"filename", "1"}, {"time", "t"}, {"filepath", targetFolder() + "/1.mp4"}},
        Value{{"filename", "2"}, {"time", "t"}, {"filepath", targetFolder() + "/2.mp4"}},
    }));
    startEngine();

    engine->clearAllFinished();

    EXPECT_TRUE(engine->finishedlist().empty());
    EXPECT_FALSE(platform::FileSystem::exists(targetFolder() + "/1.mp4"));
    EXPECT_FALSE(platform::FileSystem::exists(targetFolder() + "/2.mp4"));
    EXPECT_EQ(platform::PropertyList::read(documents() + "/DownLoad/finishPlist.plist"), Value::array());
}

TEST_F(PersistenceTest, ForgettingTheListsSavesTheFinishedOnesAndLeavesFilesOnDisk) {
    startEngine();
    add("1");
    add("2");
    const auto request = requestFor("1");
    request->respond(200, {{"Content-Length", "2"}});
    request->receive(2);
    request->finish();

    engine->cleanLastInfo();

    EXPECT_TRUE(engine->filelist().empty());
    EXPECT_TRUE(engine->downinglist().empty());
    EXPECT_TRUE(engine->finishedlist().empty());
    EXPECT_TRUE(platform::FileSystem::exists(tempFolder() + "/2.plist"));
    const auto stored = platform::PropertyList::read(documents() + "/DownLoad/finishPlist.plist");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), 1U);

    // A new engine reads both lists back.
    engine = FilesDownManage::create("DownLoad", {"DownLoad/mp4"}, environment());
    waitForRebuild();
    EXPECT_EQ(engine->finishedlist().size(), 1U);
    EXPECT_EQ(stateOf("2"), "stopped");
}

}  // namespace
