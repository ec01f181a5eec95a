#include "download/NetStatusNotifier.h"
#include "platform/foundation/Json.h"

#include "netutil/Reachability.h"
#include "platform/net/NetworkMonitor.h"
#include "tests/downloads_ui/DownloadsUiFixture.h"

namespace qelvo::test {
namespace {

class NetStatusNotifierTest : public DownloadsUiTest {
protected:
    void SetUp() override {
        DownloadsUiTest::SetUp();
        notifier = std::make_shared<NetStatusNotifier>([this] { return engine; });
    }
    void TearDown() override {
        notifier.reset();
        platform::NetworkMonitor::shared().setOverride(std::nullopt);
        platform::RunLoop::main().runPending();
        DownloadsUiTest::TearDown();
    }

    static void allowCellular() {
        platform::UserDefaults::standard().setObject("yes", NetStatusNotifier::kNotWifiDownKey);
    }

    // Two videos: the first downloads, the second waits for the slot.
    void downloadTwo() {
        add("v1", "第一课");
        add("v2", "第二课");
        ASSERT_EQ(recordFor("v1")->state(), FileModel::State::Downloading);
        ASSERT_EQ(recordFor("v2")->state(), FileModel::State::Waiting);
    }

    void expectAllStopped() {
        for (const auto& id : {"v1", "v2"}) {
            auto record = recordFor(id);
            ASSERT_TRUE(record);
            EXPECT_FALSE(record->isDownloading()) << id;
            EXPECT_FALSE(record->willDownloading()) << id;
        }
        EXPECT_FALSE(requestFor("v1")->isExecuting());
    }

    void moveToCellular() {
        notifier->reachabilityChanged(true, false);
        platform::RunLoop::main().runPending();
    }

    std::shared_ptr<NetStatusNotifier> notifier;
};

TEST_F(NetStatusNotifierTest, OnCellularWithoutPermissionEveryDownloadStopsSilently) {
    downloadTwo();
    moveToCellular();
    expectAllStopped();
    EXPECT_EQ(platform::AlertView::frontAlert(), nullptr);
    EXPECT_EQ(countLogLines("切换到3G网络"), 1u);
    EXPECT_EQ(countLogLines("禁止3G 下载"), 1u);
    EXPECT_TRUE(notifier->netChangeOperation());
}

TEST_F(NetStatusNotifierTest, OnCellularWithPermissionTheUserIsAskedAndStopDownloadingStopsAll) {
    allowCellular();
    downloadTwo();
    moveToCellular();
    auto alert = platform::AlertView::frontAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "提示");
    EXPECT_EQ(alert->message(), "正在使用3G网络,是否继续当前下载任务!");
    EXPECT_EQ(alert->buttonTitles(), (std::vector<std::string>{"停止下载", "继续下载"}));
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(recordFor("v1")->state(), FileModel::State::Downloading) << "nothing stops before the answer";
    EXPECT_EQ(countLogLines("禁止3G 下载"), 0u);

    ASSERT_EQ(device.alert(platform::Value{{"button", 0}}).status, 200);
    expectAllStopped();
}

TEST_F(NetStatusNotifierTest, ContinueDownloadingLeavesTheDownloadsRunning) {
    allowCellular();
    downloadTwo();
    moveToCellular();
    ASSERT_TRUE(platform::AlertView::frontAlert());
    ASSERT_EQ(device.alert(platform::Value{{"button", 1}}).status, 200);
    EXPECT_EQ(platform::AlertView::frontAlert(), nullptr);
    EXPECT_EQ(recordFor("v1")->state(), FileModel::State::Downloading);
    EXPECT_TRUE(requestFor("v1")->isExecuting());
    EXPECT_EQ(recordFor("v2")->state(), FileModel::State::Waiting);
}

TEST_F(NetStatusNotifierTest, WithPermissionAndNothingRunningNoQuestionIsAsked) {
    allowCellular();
    EXPECT_FALSE(notifier->checkIsDownLoad()) << "an empty request list";
    add("v1", "第一课");
    engine->stopRequest(*requestFor("v1"));
    EXPECT_FALSE(notifier->checkIsDownLoad()) << "a stopped download is not running";
    moveToCellular();
    EXPECT_EQ(platform::AlertView::frontAlert(), nullptr);
    EXPECT_TRUE(notifier->netChangeOperation()) << "the move still counts as handled";
}

TEST_F(NetStatusNotifierTest, ASecondMoveWithinTenSecondsIsIgnoredAndOneAfterIsHandled) {
    allowCellular();
    downloadTwo();
    moveToCellular();
    ASSERT_TRUE(platform::AlertView::frontAlert());
    device.alert(platform::Value{{"button", 1}});

    clock->advance(3.0);
    moveToCellular();
    EXPECT_EQ(platform::AlertView::frontAlert(), nullptr) << "3 s after the first";
    EXPECT_TRUE(notifier->netChangeOperation());

    clock->advance(6.9);
    EXPECT_TRUE(notifier->netChangeOperation()) << "9.9 s after the first";
    clock->advance(1.1);
    EXPECT_FALSE(notifier->netChangeOperation()) << "reset 10 s after the first";
    moveToCellular();
    EXPECT_TRUE(platform::AlertView::frontAlert()) << "11 s after the first";
    EXPECT_EQ(countLogLines("切换到3G网络"), 3u) << "every move onto cellular is logged";
}

TEST_F(NetStatusNotifierTest, ReturningToWiFiOrLosingTheNetworkRestartsNothing) {
    downloadTwo();
    moveToCellular();
    expectAllStopped();
    notifier->reachabilityChanged(false, true);
    notifier->reachabilityChanged(false, false);
    platform::RunLoop::main().runPending();
    expectAllStopped();
    EXPECT_EQ(countLogLines("切换到wifi"), 1u);
    EXPECT_EQ(countLogLines("网络不连接"), 1u);
    EXPECT_EQ(platform::AlertView::frontAlert(), nullptr);
}

TEST_F(NetStatusNotifierTest, TheDeviceNetworkOverrideReachesTheWatcherThroughReachability) {
    downloadTwo();
    notifier->checkNetworkStatus();
    // A second reachability object reports the same change: it is handled once.
    auto internet = Reachability::reachabilityForInternetConnection();
    ASSERT_TRUE(internet->startNotifier());

    ASSERT_EQ(device.network(platform::Value{{"status", "cellular"}}).status, 200);
    platform::RunLoop::main().runPending();
    expectAllStopped();
    EXPECT_EQ(countLogLines("禁止3G 下载"), 1u);
    EXPECT_GE(countLogLines("切换到3G网络"), 2u);
    internet->stopNotifier();
}

TEST_F(NetStatusNotifierTest, TheProcessWatcherIsMadeOnce) {
    auto first = NetStatusNotifier::getNetStatusInstance();
    EXPECT_EQ(first, NetStatusNotifier::getNetStatusInstance());
    EXPECT_GE(platform::NotificationCenter::defaultCenter().observerCount(
                  Reachability::kReachabilityChangedNotification),
              1u);
}

}  // namespace
}  // namespace qelvo::test
