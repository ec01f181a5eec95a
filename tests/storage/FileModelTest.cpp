#include "download/FileModel.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

using platform::Value;

namespace {

// A record as the engine makes it when a download is added.
FileModel addedRecord() {
    FileModel record;
    record.setFileByName("增值税申报");
    record.setFileName("123");
    record.setFileURL("http://127.0.0.1:8080/video/123.mp4");
    record.setTime("03-15 09:30:00");
    record.setFileType("mp4");
    record.setTargetPath("/home/Documents/DownLoad/mp4/123.mp4");
    record.setTempPath("/home/Documents/DownLoad/Temp/123");
    return record;
}

}  // namespace

TEST(FileModelTest, ANewRecordHasNothingSetAndNoFlag) {
    const FileModel record;
    for (const auto* text : {&record.fileByName(), &record.fileName(), &record.fileSize(), &record.fileType(),
                             &record.fileReceivedSize(), &record.fileURL(), &record.targetPath(),
                             &record.tempPath(), &record.time()}) {
        EXPECT_FALSE(text->has_value());
    }
    EXPECT_FALSE(record.isDownloading());
    EXPECT_FALSE(record.willDownloading());
    EXPECT_FALSE(record.error());
    EXPECT_FALSE(record.isFirstReceived());
}

TEST(FileModelTest, RecordFileGrowsWithWhatTheDownloadHasLearnt) {
    FileModel record = addedRecord();
    const Value beforeResponse{{"byname", "增值税申报"},
                               {"filename", "123"},
                               {"fileurl", "http://127.0.0.1:8080/video/123.mp4"},
                               {"time", "03-15 09:30:00"},
                               {"basepath", "DownLoad"},
                               {"tarpath", "mp4"}};
    EXPECT_EQ(record.recordDictionary("DownLoad", "mp4"), beforeResponse);

    record.setFileSize("1572864");
    Value afterHeaders = beforeResponse;
    afterHeaders["filesize"] = "1572864";
    EXPECT_EQ(record.recordDictionary("DownLoad", "mp4"), afterHeaders);

    record.setFileReceivedSize("4096");
    Value afterProgress = afterHeaders;
    afterProgress["filerecievesize"] = "4096";
    const Value full = record.recordDictionary("DownLoad", "mp4");
    EXPECT_EQ(full, afterProgress);
    EXPECT_EQ(platform::PropertyList::fromXml(*platform::PropertyList::toXml(full)), full);
}

TEST(FileModelTest, AnUnknownValueDoesNotCostTheRecordItsLaterFields) {
    FileModel record = addedRecord();
    record.setFileByName(std::nullopt);
    record.setFileReceivedSize("4096");

    const Value dict = record.recordDictionary("DownLoad", "mp4");
    EXPECT_FALSE(dict.contains("byname"));
    EXPECT_FALSE(dict.contains("filesize"));
    EXPECT_EQ(dict.at("filename"), "123");
    EXPECT_EQ(dict.at("tarpath"), "mp4");
    EXPECT_EQ(dict.at("filerecievesize"), "4096");
}

TEST(FileModelTest, FinishedEntryNamesTheFinishedFile) {
    FileModel record = addedRecord();
    record.setFileSize("1572864");
    EXPECT_EQ(record.finishedEntryDictionary(), (Value{{"filename", "123"},
                                                       {"time", "03-15 09:30:00"},
                                                       {"filesize", "1572864"},
                                                       {"filepath", "/home/Documents/DownLoad/mp4/123.mp4"},
                                                       {"byname", "增值税申报"}}));

    // A download whose size never arrived still keeps its path and name.
    record.setFileSize(std::nullopt);
    const Value entry = record.finishedEntryDictionary();
    EXPECT_FALSE(entry.contains("filesize"));
    EXPECT_EQ(entry.at("filepath"), "/home/Documents/DownLoad/mp4/123.mp4");
    EXPECT_EQ(entry.at("byname"), "增值税申报");
}
