#include "platform/device/DisplayWatcher.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using platform::DisplayWatcher;
using platform::RunLoop;
using namespace std::chrono_literals;

namespace {

// A loop of its own on a thread, standing in for the app's main loop.
class DisplayWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        thread_ = std::thread([this] { loop.run(); });
        loop.postAndWait([] {});
    }
    void TearDown() override {
        watcher.stop();
        loop.stop();
        thread_.join();
    }
    void onLoop(std::function<void()> task) { loop.postAndWait(task); }

    RunLoop loop;
    std::string state = "first";  // read and written on the loop only
    DisplayWatcher watcher{loop, [this] { return state; }, 2ms};

private:
    std::thread thread_;
};

TEST_F(DisplayWatcherTest, AChangeOnTheLoopBecomesTheNextRevisionAndAnIdleLoopIsNotSnapshotted) {
    const auto first = watcher.waitNewer(0, 5s);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->number, 1u);
    EXPECT_EQ(*first->tree, "first");

    // Nothing ran on the loop: no new revision, and after settling no more snapshots.
    EXPECT_FALSE(watcher.waitNewer(first->number, 100ms));
    const auto settled = watcher.snapshotsTaken();
    EXPECT_FALSE(watcher.waitNewer(first->number, 100ms));
    EXPECT_EQ(watcher.snapshotsTaken(), settled) << "an idle loop is left alone";

    onLoop([this] { state = "second"; });
    const auto second = watcher.waitNewer(first->number, 5s);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->number, 2u);
    EXPECT_EQ(*second->tree, "second");
}

TEST_F(DisplayWatcherTest, WorkThatLeavesTheTreeAsItWasMakesNoRevision) {
    const auto first = watcher.waitNewer(0, 5s);
    ASSERT_TRUE(first);
    const auto before = watcher.snapshotsTaken();
    onLoop([] {});
    EXPECT_FALSE(watcher.waitNewer(first->number, 200ms));
    EXPECT_GT(watcher.snapshotsTaken(), before) << "the loop ran a task, so it was looked at";
}

TEST_F(DisplayWatcherTest, ChangesFromTimersAreSeenToo) {
    const auto first = watcher.waitNewer(0, 5s);
    ASSERT_TRUE(first);
    onLoop([this] { loop.schedule(0.05, [this] { state = "from a timer"; }); });
    std::optional<DisplayWatcher::Revision> latest;
    for (int i = 0; i < 10 && (!latest || *latest->tree != "from a timer"); ++i)
        latest = watcher.waitNewer(latest ? latest->number : first->number, 1s);
    ASSERT_TRUE(latest);
    EXPECT_EQ(*latest->tree, "from a timer");
}

TEST_F(DisplayWatcherTest, StopReleasesAWaitingListenerAndLaterWaitsReturnAtOnce) {
    ASSERT_TRUE(watcher.waitNewer(0, 5s));
    std::atomic<bool> released{false};
    std::thread listener([&] {
        EXPECT_FALSE(watcher.waitNewer(1, 60s));
        released = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (watcher.waitingListeners() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_EQ(watcher.waitingListeners(), 1) << "the listener waits";
    watcher.stop();
    listener.join();
    EXPECT_TRUE(released);
    EXPECT_TRUE(watcher.isStopped());
    EXPECT_FALSE(watcher.waitNewer(0, 60s));
}

}  // namespace
