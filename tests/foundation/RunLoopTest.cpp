#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/CpuTime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using platform::ManualClock;
using platform::RunLoop;

namespace {

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop.adoptCurrentThread();
        clock = std::make_shared<ManualClock>();
        loop.setClock(clock);
    }
    RunLoop loop;
    std::shared_ptr<ManualClock> clock;
};

TEST_F(RunLoopTest, TimersFireInDeadlineOrderAsTheClockAdvances) {
    std::vector<std::string> fired;
    loop.schedule(2.0, [&] { fired.push_back("b@2"); });
    loop.schedule(0.5, [&] { fired.push_back("a@0.5"); });
    loop.schedule(2.0, [&] { fired.push_back("c@2"); });  // same deadline: scheduling order
    loop.schedule(10.0, [&] { fired.push_back("late"); });

    clock->advance(1.99);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@0.5"}));
    clock->advance(0.01);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@0.5", "b@2", "c@2"}));
    EXPECT_EQ(loop.pendingTimerCount(), 1u);
}

TEST_F(RunLoopTest, EachTimerSeesTheClockAtItsOwnDeadlineAndChainedTimersFireWithinOneAdvance) {
    const auto start = clock->now();
    std::vector<double> seenAt;
    loop.schedule(1.0, [&] {
        seenAt.push_back(loop.secondsSince(start));
        loop.schedule(1.5, [&] { seenAt.push_back(loop.secondsSince(start)); });
    });
    clock->advance(5.0);
    ASSERT_EQ(seenAt.size(), 2u);
    EXPECT_DOUBLE_EQ(seenAt[0], 1.0);
    EXPECT_DOUBLE_EQ(seenAt[1], 2.5);
    EXPECT_DOUBLE_EQ(loop.secondsSince(start), 5.0);
}

TEST_F(RunLoopTest, AdvancingMovesWallClockTimeByTheSameAmount) {
    const auto before = clock->wallNow();
    clock->advance(301.0);
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(clock->wallNow() - before).count(), 301);
}

TEST_F(RunLoopTest, CancelledTimersNeverRunAndReleaseWhatTheyCaptured) {
    auto guard = std::make_shared<int>(1);
    std::weak_ptr<int> watch = guard;
    bool ran = false;
    auto timer = loop.schedule(1.0, [&ran, guard] { ran = true; });
    guard.reset();
    EXPECT_TRUE(timer.isValid());
    timer.cancel();
    EXPECT_FALSE(timer.isValid());
    EXPECT_TRUE(watch.expired());
    clock->advance(2.0);
    EXPECT_FALSE(ran);
}

TEST_F(RunLoopTest, RepeatingTimerFiresEachIntervalUntilItCancelsItself) {
    int count = 0;
    platform::Timer timer;
    timer = loop.scheduleRepeating(0.25, [&] {
        if (++count == 3) timer.cancel();
    });
    clock->advance(10.0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(loop.pendingTimerCount(), 0u);
}

TEST_F(RunLoopTest, TasksPostedFromOtherThreadsRunOnTheLoopThreadInPostingOrder) {
    std::vector<int> order;
    std::atomic<bool> wrongThread{false};
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            loop.post([&, i] {
                if (!loop.isLoopThread()) wrongThread = true;
                order.push_back(i);
            });
        }
    });
    poster.join();
    ASSERT_TRUE(loop.runUntil([&] { return order.size() == 100; }, 5.0));
    EXPECT_FALSE(wrongThread);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST_F(RunLoopTest, PostAndWaitReturnsAfterTheTaskRanOnTheLoop) {
    std::atomic<bool> stop{false};
    std::thread loopThread([&] {
        loop.run();
        stop = true;
    });
    // run() adopts its own thread; wait until it has.
    while (loop.isLoopThread())
        std::this_thread::yield();
    int value = 0;
    loop.postAndWait([&] { value = 42; });
    EXPECT_EQ(value, 42);
    loop.stop();
    loopThread.join();
    EXPECT_TRUE(stop);
}

TEST(RunLoopRealClock, DelayedCallRunsAfterItsDelayWhileTheLoopRuns) {
    RunLoop loop;
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration elapsed{};
    loop.schedule(0.05, [&] {
        elapsed = std::chrono::steady_clock::now() - start;
        loop.stop();
    });
    loop.run();
    EXPECT_GE(elapsed, std::chrono::milliseconds(50));
}

TEST(RunLoopRealClock, AnIdleLoopAndIdleQueuesUseNoCpu) {
    RunLoop loop;
    platform::DispatchQueue serial("test.idle");
    platform::DispatchQueue::global();
    std::thread loopThread([&] { loop.run(); });
    // A far timer keeps the loop waiting on a deadline rather than forever.
    loop.post([&] { loop.schedule(3600, [] {}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double before = qelvo::test::processCpuSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const double used = qelvo::test::processCpuSeconds() - before;
    loop.stop();
    loopThread.join();
    // A polling loop would burn most of the second; a sleeping one a few microseconds.
    EXPECT_LT(used, 0.05);
}

TEST(DispatchQueueTest, SerialQueueRunsTasksOneAfterAnotherInOrder) {
    platform::DispatchQueue queue("test.serial");
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 50; ++i) {
        queue.async([&, i] {
            if (running.fetch_add(1) != 0) overlapped = true;
            order.push_back(i);
            running.fetch_sub(1);
        });
    }
    queue.waitUntilIdle();
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST(DispatchQueueTest, GlobalPoolRunsTasksConcurrently) {
    auto& pool = platform::DispatchQueue::global();
    std::atomic<int> arrived{0};
    std::atomic<bool> bothInside{false};
    for (int i = 0; i < 2; ++i) {
        pool.async([&] {
            arrived.fetch_add(1);
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (arrived.load() < 2 && std::chrono::steady_clock::now() < limit)
                std::this_thread::yield();
            if (arrived.load() == 2) bothInside = true;
        });
    }
    pool.waitUntilIdle();
    EXPECT_TRUE(bothInside);
}

}  // namespace
