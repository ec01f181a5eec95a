#include "download/StudeRecordViewCon.h"
#include "platform/foundation/Json.h"

#include "download/DownCell.h"
#include "download/VideoPlayerViewController.h"
#include "platform/foundation/PropertyList.h"
#include "tests/downloads_ui/DownloadsUiFixture.h"

#include <thread>

namespace qelvo::test {
namespace {

constexpr std::int64_t kMegabyte = 1024 * 1024;

class StudeRecordViewConTest : public DownloadsUiTest {
protected:
    // Taps the centre of the index-th table row the device lists.
    platform::DeviceReply tapRow(std::size_t index) {
        auto cells = listed("cell");
        if (index >= cells.size()) {
            return platform::DeviceReply::error(404, "no such row");
        }
        const auto& frame = cells[index]["frame"];
        double x = frame[0].get<double>() + frame[2].get<double>() / 2;
        double y = frame[1].get<double>() + frame[3].get<double>() / 2;
        auto reply = device.tap(platform::Value{{"x", x}, {"y", y}});
        settle();
        return reply;
    }

    std::vector<std::string> listedTexts(const std::string& kind) {
        std::vector<std::string> texts;
        for (const auto& entry : listed(kind)) {
            texts.push_back(entry.value("text", ""));
        }
        return texts;
    }

    std::optional<platform::Value> listedButton(const std::string& text) {
        for (const auto& entry : listed("button")) {
            if (entry.value("text", "") == text) {
                return entry;
            }
        }
        return std::nullopt;
    }
};

TEST_F(StudeRecordViewConTest, OpensOnTheUnfinishedListWithItsTitleButtonsAndDiskSpace) {
    showScreen();
    EXPECT_TRUE(engine->downloadDelegate() == std::static_pointer_cast<DownloadDelegate>(screen));
    auto labels = listedTexts("label");
    EXPECT_NE(std::find(labels.begin(), labels.end(), "课程下载"), labels.end());
    auto unfinished = listedButton("下载中");
    auto finished = listedButton("已下载");
    ASSERT_TRUE(unfinished && finished);
    EXPECT_EQ(unfinished->value("selected", false), true);
    EXPECT_EQ(finished->value("selected", false), false);
    EXPECT_TRUE(listedButton("编辑"));
    EXPECT_FALSE(screen->unfinishedTable()->isHidden());
    EXPECT_TRUE(screen->finishedTable()->isHidden());
    const std::string disk = screen->diskSpaceLabel()->text();
    EXPECT_NE(disk.find(" GB 可用/总共 "), std::string::npos) << disk;
    EXPECT_EQ(screen->unfinishedTable()->rowHeight(), 70);
}

TEST_F(StudeRecordViewConTest, RowsShowEachDownloadWithItsProgressAndState) {
    add("v1", "第一课");
    add("v2", "第二课");
    showScreen();
    ASSERT_EQ(screen->unfinishedTable()->numberOfRowsInSection(0), 2);
    auto first = unfinishedRow(0);
    auto second = unfinishedRow(1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->reuseIdentifier(), "downCell");
    EXPECT_EQ(first->namelabel->text(), "第一课");
    EXPECT_EQ(first->introLabel->text(), "(0MB/0MB) 0%") << "no size known yet";
    EXPECT_EQ(first->operateButton->currentTitle(), "暂停");
    EXPECT_EQ(first->operateButton->tag(), 1000);
    EXPECT_EQ(second->operateButton->currentTitle(), "等待");
    EXPECT_EQ(second->operateButton->tag(), 1001);

    auto request = requestFor("v1");
    request->receiveHeaders(200, {{"Content-Length", std::to_string(100 * kMegabyte)}});
    request->receiveBytes(1038090);
    EXPECT_EQ(unfinishedRow(0)->introLabel->text(), "0.99MB/100.00MB (0%)");
    request->receiveBytes(50 * kMegabyte - 1038090);
    EXPECT_EQ(unfinishedRow(0)->introLabel->text(), "50.00MB/100.00MB (50%)");
    EXPECT_EQ(unfinishedRow(1)->introLabel->text(), "(0MB/0MB) 0%") << "only the reported row changes";
}

TEST_F(StudeRecordViewConTest, AProgressReportFromAnotherThreadIsHandledOnTheMainThread) {
    add("v1", "第一课");
    showScreen();
    auto request = requestFor("v1");
    auto record = recordFor("v1");
    record->setFileSize(std::to_string(10 * kMegabyte));
    record->setFileReceivedSize(std::to_string(5 * kMegabyte));
    bool reported = false;
    std::thread reporter([&] {
        screen->updateCellProgress(*request);
        reported = true;  // read by the main thread only after the join
    });
    platform::RunLoop::main().runUntil(
        [&] { return unfinishedRow(0)->introLabel->text() != "(0MB/0MB) 0%"; });
    reporter.join();
    EXPECT_TRUE(reported);
    EXPECT_EQ(unfinishedRow(0)->introLabel->text(), "5.00MB/10.00MB (50%)");
}

TEST_F(StudeRecordViewConTest, PausingTheRunningRowStartsTheWaitingOne) {
    add("v1", "第一课");
    add("v2", "第二课");
    showScreen();
    ASSERT_EQ(tapText("暂停").status, 200);
    EXPECT_FALSE(recordFor("v1")->isDownloading());
    EXPECT_FALSE(requestFor("v1")->isExecuting());
    EXPECT_EQ(recordFor("v2")->state(), FileModel::State::Downloading);
    EXPECT_TRUE(requestFor("v2")->isExecuting());
    EXPECT_EQ(unfinishedRow(0)->operateButton->currentTitle(), "下载");
    EXPECT_EQ(unfinishedRow(1)->operateButton->currentTitle(), "暂停");

    // "下载" resumes the stopped one; it takes the only slot and the other waits.
    ASSERT_EQ(tapText("下载").status, 200);
    EXPECT_EQ(recordFor("v1")->state(), FileModel::State::Downloading);
    EXPECT_EQ(unfinishedRow(0)->operateButton->currentTitle(), "暂停");
    EXPECT_EQ(unfinishedRow(1)->operateButton->currentTitle(), "等待");
}

TEST_F(StudeRecordViewConTest, TappingAWaitingRowPromotesItAndTheRunningOneWaits) {
    add("v1", "第一课");
    add("v2", "第二课");
    add("v3", "第三课");
    showScreen();
    ASSERT_EQ(tapText("等待", 1).status, 200);
    EXPECT_EQ(recordFor("v3")->state(), FileModel::State::Downloading);
    EXPECT_TRUE(requestFor("v3")->isExecuting());
    EXPECT_EQ(recordFor("v1")->state(), FileModel::State::Waiting);
    EXPECT_EQ(unfinishedRow(0)->operateButton->currentTitle(), "等待");
    EXPECT_EQ(unfinishedRow(1)->operateButton->currentTitle(), "等待");
    EXPECT_EQ(unfinishedRow(2)->operateButton->currentTitle(), "暂停");
}

TEST_F(StudeRecordViewConTest, ResumeRefusedOnCellularKeepsTheStoppedCaption) {
    add("v1", "第一课");
    engine->stopRequest(*requestFor("v1"));
    showScreen();
    onCellular = true;
    ASSERT_EQ(tapText("下载").status, 200);
    EXPECT_FALSE(recordFor("v1")->isDownloading());
    EXPECT_EQ(unfinishedRow(0)->operateButton->currentTitle(), "下载");
    auto toasts = device.screen().body["toasts"];
    EXPECT_NE(std::find(toasts.begin(), toasts.end(), "3G网络下禁止下载,请去学员中心设置!"), toasts.end());
}

TEST_F(StudeRecordViewConTest, TheTopButtonsSwitchBetweenTheTwoLists) {
    showScreen();
    ASSERT_EQ(tapText("已下载").status, 200);
    EXPECT_TRUE(screen->unfinishedTable()->isHidden());
    EXPECT_FALSE(screen->finishedTable()->isHidden());
    EXPECT_TRUE(screen->finishedButton()->isSelected());
    EXPECT_FALSE(screen->unfinishedButton()->isSelected());
    ASSERT_EQ(tapText("下载中").status, 200);
    EXPECT_FALSE(screen->unfinishedTable()->isHidden());
    EXPECT_TRUE(screen->finishedTable()->isHidden());
    EXPECT_TRUE(screen->unfinishedButton()->isSelected());
    EXPECT_FALSE(screen->finishedButton()->isSelected());
}

TEST_F(StudeRecordViewConTest, TheEditButtonTogglesEditingOfBothLists) {
    add("v1", "第一课");
    showScreen();
    ASSERT_EQ(tapText("编辑").status, 200);
    EXPECT_EQ(screen->editButton()->currentTitle(), "完成");
    EXPECT_TRUE(screen->unfinishedTable()->isEditing());
    EXPECT_TRUE(screen->finishedTable()->isEditing());
    ASSERT_EQ(tapText("完成").status, 200);
    EXPECT_EQ(screen->editButton()->currentTitle(), "编辑");
    EXPECT_FALSE(screen->unfinishedTable()->isEditing());
    EXPECT_FALSE(screen->finishedTable()->isEditing());
}

TEST_F(StudeRecordViewConTest, ACompletedDownloadMovesToTheEndOfTheFinishedList) {
    add("v1", "第一课");
    add("v2", "第二课");
    showScreen();
    complete("v1", 5 * kMegabyte);
    ASSERT_EQ(screen->unfinishedTable()->numberOfRowsInSection(0), 1);
    EXPECT_EQ(unfinishedRow(0)->namelabel->text(), "第二课");
    EXPECT_EQ(unfinishedRow(0)->operateButton->currentTitle(), "暂停") << "the waiting one started";
    ASSERT_EQ(screen->finishedTable()->numberOfRowsInSection(0), 1);
    auto row = finishedRow(0);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->reuseIdentifier(), "finishCell");
    EXPECT_EQ(row->namelabel->text(), "第一课");
    EXPECT_EQ(row->introLabel->text(), "5.00MB  (100%)");
    EXPECT_TRUE(row->operateButton->isHidden());
    EXPECT_EQ(row->operateButton->currentTitle(), "播放");
    EXPECT_EQ(row->operateButton->tag(), 5000);
    EXPECT_EQ(row->selectionStyle(), platform::CellSelectionStyle::None);
}

TEST_F(StudeRecordViewConTest, DeletingAnUnfinishedRowDeletesItsFilesAndTheRow) {
    add("v1", "第一课");
    add("v2", "第二课");
    showScreen();
    std::string partial = *recordFor("v1")->tempPath();
    ASSERT_TRUE(platform::FileSystem::exists(partial + ".plist"));
    ASSERT_TRUE(screen->unfinishedTable()->swipeToDelete(platform::IndexPath{0, 0}));
    settle();
    auto cell = unfinishedRow(0);
    ASSERT_TRUE(cell->deleteConfirmationButton());
    EXPECT_EQ(cell->subviews().back(), cell->deleteConfirmationButton()) << "nothing of the row covers it";
    ASSERT_EQ(tapText("删除").status, 200);
    EXPECT_FALSE(platform::FileSystem::exists(partial + ".plist"));
    ASSERT_EQ(screen->unfinishedTable()->numberOfRowsInSection(0), 1);
    EXPECT_EQ(unfinishedRow(0)->namelabel->text(), "第二课");
    EXPECT_EQ(engine->filelist().size(), 1u);
}

TEST_F(StudeRecordViewConTest, DeletingAFinishedRowInEditingModeDeletesTheVideo) {
    add("v1", "第一课");
    add("v2", "第二课");
    complete("v1", kMegabyte);
    complete("v2", 2 * kMegabyte);
    showScreen();
    std::string video = *engine->finishedlist().front()->targetPath();
    ASSERT_TRUE(platform::FileSystem::exists(video));
    tapText("已下载");
    tapText("编辑");
    auto control = finishedRow(0)->editingControl();
    ASSERT_TRUE(control);
    control->sendActionsForControlEvents(platform::TouchUpInside);
    settle();
    ASSERT_EQ(tapText("删除").status, 200);
    EXPECT_FALSE(platform::FileSystem::exists(video));
    ASSERT_EQ(screen->finishedTable()->numberOfRowsInSection(0), 1);
    EXPECT_EQ(finishedRow(0)->namelabel->text(), "第二课");
    auto stored = platform::PropertyList::read(engine->finishedListPath());
    ASSERT_TRUE(stored && stored->is_array());
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_EQ((*stored)[0]["filename"], "v2");
}

TEST_F(StudeRecordViewConTest, LeavingTheScreenWritesTheFinishedList) {
    add("v1", "第一课");
    complete("v1", kMegabyte);
    showScreen();
    ASSERT_TRUE(platform::FileSystem::remove(engine->finishedListPath()));
    navigation->popViewControllerAnimated(false);
    settle();
    auto stored = platform::PropertyList::read(engine->finishedListPath());
    ASSERT_TRUE(stored && stored->is_array());
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_EQ((*stored)[0]["byname"], "第一课");
}

TEST_F(StudeRecordViewConTest, TappingAFinishedRowPlaysItFullScreenUntilItsCloseControl) {
    add("v1", "第一课");
    complete("v1", kMegabyte);
    showScreen();
    tapText("已下载");
    const std::size_t loggedBefore =
        countLogLines("targetPath is: " + *engine->finishedlist().front()->targetPath());
    ASSERT_EQ(tapRow(0).status, 200);
    auto player = std::dynamic_pointer_cast<VideoPlayerViewController>(screen->presentedViewController());
    ASSERT_TRUE(player);
    EXPECT_EQ(player->filePath(), *engine->finishedlist().front()->targetPath());
    EXPECT_DOUBLE_EQ(player->view()->rotation(), 1.5707964);
    EXPECT_EQ(countLogLines("targetPath is: " + player->filePath()), loggedBefore + 1);
    EXPECT_FALSE(screen->finishedTable()->indexPathForSelectedRow()) << "the row is deselected at once";

    clock->advance(platform::ViewController::kTransitionDuration);
    settle();
    EXPECT_TRUE(player->isPlaying());
    auto shown = device.screen().body;
    EXPECT_EQ(shown["screens"].back(), "VideoPlayerViewController");
    auto movies = listed("movie");
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ(movies[0]["text"], "v1.mp4");
    EXPECT_EQ(movies[0]["playing"], true);

    ASSERT_EQ(tapText("完成").status, 200);
    clock->advance(platform::ViewController::kTransitionDuration);
    settle();
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_FALSE(player->isPlaying());
    EXPECT_TRUE(listed("movie").empty());
}

TEST_F(StudeRecordViewConTest, AFinishedRecordWithoutAFileLocationDoesNotPlay) {
    auto record = std::make_shared<FileModel>();
    record->setFileName("lost");
    record->setFileByName("旧课");
    record->setFileSize(std::to_string(kMegabyte));
    engine->finishedlist().push_back(record);
    showScreen();
    tapText("已下载");
    ASSERT_EQ(tapRow(0).status, 200);
    EXPECT_FALSE(screen->presentedViewController());
    // The hidden row button acts the same way when shown.
    finishedRow(0)->operateButton->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_FALSE(screen->presentedViewController());
}

}  // namespace
}  // namespace qelvo::test
