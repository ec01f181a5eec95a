#include "platform/foundation/RunLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/View.h"
#include "tests/ui/UiTest.h"

#include <memory>
#include <string>
#include <vector>

using platform::Animation;
using platform::Rect;
using platform::RunLoop;
using platform::View;

namespace {

class AnimationTest : public UiTest {};

TEST_F(AnimationTest, ChangesApplyAtOnceAndTheCompletionComesExactlyAtTheEnd) {
    auto box = View::create(Rect::make(0, 0, 100, 100));
    const int before = Animation::runningCount();
    std::vector<bool> completions;
    Animation::animate(
        0.3, [&] { box->setAlpha(0); }, [&](bool finished) { completions.push_back(finished); });
    EXPECT_EQ(box->alpha(), 0);
    EXPECT_EQ(Animation::runningCount(), before + 1);

    runPending();
    clock->advance(0.3 - 0.001);
    EXPECT_TRUE(completions.empty());
    clock->advance(0.001);
    EXPECT_EQ(completions, (std::vector<bool>{true}));
    EXPECT_EQ(Animation::runningCount(), before);

    clock->advance(10);
    EXPECT_EQ(completions.size(), 1u);
}

TEST_F(AnimationTest, ADelayPostponesTheCompletionButNotTheChanges) {
    auto box = View::create(Rect::make(0, 0, 100, 100));
    int done = 0;
    Animation::animate(
        0.25, [&] { box->setFrame(Rect::make(0, 0, 200, 100)); }, [&](bool) { ++done; }, 0.5);
    EXPECT_EQ(box->frame().width(), 200);
    clock->advance(0.75 - 0.001);
    EXPECT_EQ(done, 0);
    clock->advance(0.001);
    EXPECT_EQ(done, 1);
}

TEST_F(AnimationTest, DelayedCallsRunInDeadlineOrderAndACancelledOneNeverRuns) {
    std::vector<std::string> calls;
    RunLoop::main().schedule(2.0, [&] { calls.push_back("close header"); });
    auto dropped = RunLoop::main().schedule(0.5, [&] { calls.push_back("dropped"); });
    RunLoop::main().schedule(0.5, [&] { calls.push_back("pop login"); });
    RunLoop::main().schedule(0, [&] { calls.push_back("next turn"); });
    dropped.cancel();
    EXPECT_FALSE(dropped.isValid());

    runPending();
    EXPECT_EQ(calls, (std::vector<std::string>{"next turn"}));
    clock->advance(1.999);
    EXPECT_EQ(calls, (std::vector<std::string>{"next turn", "pop login"}));
    clock->advance(0.001);
    EXPECT_EQ(calls, (std::vector<std::string>{"next turn", "pop login", "close header"}));
}

}  // namespace
