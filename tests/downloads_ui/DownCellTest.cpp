#include "download/DownCell.h"

#include "download/FileModel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr long long kMegabyte = 1024 * 1024;

FileModel recordOf(std::optional<long long> total, std::optional<long long> received) {
    FileModel record;
    record.setFileByName("增值税申报");
    if (total) {
        record.setFileSize(std::to_string(*total));
    }
    if (received) {
        record.setFileReceivedSize(std::to_string(*received));
    }
    return record;
}

TEST(DownCellTextTest, AnUnknownOrSubMegabyteTotalShowsNoProgressAtAll) {
    EXPECT_EQ(DownCell::progressText(recordOf(std::nullopt, std::nullopt)), "(0MB/0MB) 0%");
    EXPECT_EQ(DownCell::progressText(recordOf(std::nullopt, 5 * kMegabyte)), "(0MB/0MB) 0%");
    // 0.80MB in total: below one megabyte as a whole number, whatever has arrived.
    EXPECT_EQ(DownCell::progressText(recordOf(838861, 838861)), "(0MB/0MB) 0%");
    EXPECT_EQ(DownCell::progressText(recordOf(kMegabyte, std::nullopt)), "0.00MB/1.00MB (0%)");
}

TEST(DownCellTextTest, ProgressIsTheTruncatedShareOfTheFormattedSizes) {
    // 0.99MB of 100.00MB is below one per cent.
    EXPECT_EQ(DownCell::progressText(recordOf(100 * kMegabyte, 1038090)), "0.99MB/100.00MB (0%)");
    EXPECT_EQ(DownCell::progressText(recordOf(100 * kMegabyte, 50 * kMegabyte)), "50.00MB/100.00MB (50%)");
    EXPECT_EQ(DownCell::progressText(recordOf(3 * kMegabyte, 2 * kMegabyte)), "2.00MB/3.00MB (66%)");
    EXPECT_EQ(DownCell::progressText(recordOf(100 * kMegabyte, 100 * kMegabyte)), "100.00MB/100.00MB (100%)");
}

TEST(DownCellTextTest, ReceivedAboveTheTotalShowsTheTotalTwiceAtOneHundredPerCent) {
    EXPECT_EQ(DownCell::progressText(recordOf(10 * kMegabyte, 25 * kMegabyte)), "10.00MB/10.00MB (100%)");
}

TEST(DownCellTextTest, AFinishedRowShowsItsSizeAtOneHundredPerCent) {
    EXPECT_EQ(DownCell::finishedText(recordOf(5 * kMegabyte + kMegabyte / 2, std::nullopt)),
              "5.50MB  (100%)");
    EXPECT_EQ(DownCell::finishedText(recordOf(std::nullopt, std::nullopt)), "0.00MB  (100%)");
}

TEST(DownCellTextTest, TheButtonCaptionFollowsTheRecordState) {
    FileModel record;
    EXPECT_EQ(DownCell::operateCaption(record), "下载") << "stopped";
    record.setIsDownloading(true);
    EXPECT_EQ(DownCell::operateCaption(record), "暂停") << "downloading";
    record.setIsDownloading(false);
    record.setWillDownloading(true);
    EXPECT_EQ(DownCell::operateCaption(record), "等待") << "waiting";
    record.setWillDownloading(false);
    record.setError(true);
    EXPECT_EQ(DownCell::operateCaption(record), "下载") << "failed";
}

TEST(DownCellTest, ShowsARecordInItsLabelsOnAClearBackground) {
    auto cell = DownCell::create("downCell");
    EXPECT_EQ(cell->reuseIdentifier(), "downCell");
    auto record = std::make_shared<FileModel>(recordOf(100 * kMegabyte, 50 * kMegabyte));
    record->setIsDownloading(true);
    cell->showUnfinished(record);
    EXPECT_EQ(cell->fileInfo, record);
    EXPECT_EQ(cell->namelabel->text(), "增值税申报");
    EXPECT_EQ(cell->introLabel->text(), "50.00MB/100.00MB (50%)");
    EXPECT_EQ(cell->operateButton->currentTitle(), "暂停");
    EXPECT_EQ(cell->visibleText(), "增值税申报\n50.00MB/100.00MB (50%)");

    cell->showFinished(record);
    EXPECT_EQ(cell->introLabel->text(), "100.00MB  (100%)");

    cell->setFrame(platform::Rect::make(0, 0, 320, DownCell::kHeight));
    cell->layoutSubviews();
    EXPECT_EQ(cell->backgroundColor(), platform::Color::clear());
}

}  // namespace
