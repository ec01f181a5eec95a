#include "platform/foundation/Json.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ScrollView.h"

#include "tests/ui_scroll/UiScrollTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::EdgeInsets;
using platform::GestureRecognizer;
using platform::GestureState;
using platform::PanGestureRecognizer;
using platform::RunLoop;
using platform::ScrollView;
using platform::TouchPhase;
using platform::View;
using qelvo::testing::Point;
using qelvo::testing::RecordingScrollDelegate;
using qelvo::testing::Rect;
using qelvo::testing::Size;
using Log = std::vector<std::string>;

class ScrollViewTest : public qelvo::testing::UiScrollTest {
protected:
    // A 320 by 400 view over content 1000 points high.
    std::shared_ptr<ScrollView> makeList() {
        auto scroll = View::create<ScrollView>(Rect::make(0, 0, 320, 400));
        scroll->setContentSize(Size{320, 1000});
        scroll->setDelegate(delegate);
        return scroll;
    }
    // Three pages of 320 by 155, paged, without bounce (the home page's strip).
    std::shared_ptr<ScrollView> makeStrip() {
        auto scroll = View::create<ScrollView>(Rect::make(0, 0, 320, 155));
        scroll->setContentSize(Size{960, 155});
        scroll->setPagingEnabled(true);
        scroll->setBounces(false);
        scroll->setDelegate(delegate);
        return scroll;
    }
    // Drags the content by `dy` (finger down is positive) in four steps and lets go.
    static void dragVertically(ScrollView& scroll, double dy, Point velocity = Point{}) {
        scroll.beginDragging(Point{160, 200});
        for (int step = 1; step <= 4; ++step) {
            scroll.dragTo(Point{160, 200 + dy * step / 4});
        }
        scroll.endDragging(velocity);
    }
    std::shared_ptr<RecordingScrollDelegate> delegate = std::make_shared<RecordingScrollDelegate>();
};

TEST_F(ScrollViewTest, AllowedOffsetsRunFromMinusTheInsetsToTheContentEndPlusTheInsets) {
    auto scroll = makeList();
    scroll->setContentSize(Size{640, 1000});
    scroll->setContentInset(EdgeInsets{60, 5, 10, 15});
    EXPECT_EQ(scroll->minimumContentOffset(), (Point{-5, -60}));
    EXPECT_EQ(scroll->maximumContentOffset(), (Point{335, 610}));
    EXPECT_TRUE(scroll->canScrollHorizontally());

    // Content shorter than the view: the range shrinks to its start.
    scroll->setContentSize(Size{100, 100});
    EXPECT_EQ(scroll->maximumContentOffset(), (Point{-5, -60}));
    EXPECT_FALSE(scroll->canScrollVertically());
    scroll->setAlwaysBounceVertical(true);
    EXPECT_TRUE(scroll->canScrollVertically());
    EXPECT_FALSE(scroll->canScrollHorizontally());
}

TEST_F(ScrollViewTest, EveryOffsetChangeTellsTheDelegateAndAnimatedChangesEndAfterTheAnimation) {
    auto scroll = makeList();
    scroll->setContentOffset(Point{0, 100});
    scroll->setContentOffset(Point{0, 100});  // no change, no call
    EXPECT_EQ(delegate->log, (Log{"scroll 0,100"}));
    EXPECT_EQ(scroll->bounds().origin, (Point{0, 100}));

    scroll->setContentOffset(Point{0, 300}, true);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 300}));
    clock->advance(ScrollView::kScrollAnimationDuration - 0.01);
    EXPECT_EQ(delegate->log, (Log{"scroll 0,100", "scroll 0,300"}));
    clock->advance(0.01);
    EXPECT_EQ(delegate->log.back(), "didEndScrollingAnimation");

    // The program may put the offset anywhere, also above the top (a refresh header).
    scroll->setContentOffset(Point{0, -60});
    EXPECT_EQ(scroll->contentOffset().y, -60);
}

TEST_F(ScrollViewTest, AtRestChangedInsetsAndShrunkContentPullTheOffsetBackIntoRange) {
    auto scroll = makeList();
    scroll->setContentOffset(Point{0, -60});
    scroll->setContentInset(EdgeInsets{60, 0, 0, 0});
    EXPECT_EQ(scroll->contentOffset().y, -60);
    scroll->setContentInset(EdgeInsets{});
    EXPECT_EQ(scroll->contentOffset().y, 0);
    EXPECT_EQ(delegate->log.back(), "scroll 0,0");

    scroll->setContentOffset(Point{0, 600});
    scroll->setContentSize(Size{320, 500});
    EXPECT_EQ(scroll->contentOffset().y, 100);
}

TEST_F(ScrollViewTest, ADragPastTheTopFollowsTheFingerThenSpringsBackFrameByFrame) {
    auto scroll = makeList();
    dragVertically(*scroll, 80);
    EXPECT_EQ(scroll->contentOffset().y, -80);
    EXPECT_FALSE(scroll->isDragging());
    EXPECT_TRUE(scroll->isDecelerating());
    const Log released{"willBeginDragging", "scroll 0,-20 dragging", "scroll 0,-40 dragging",
                       "scroll 0,-60 dragging", "scroll 0,-80 dragging", "didEndDragging decelerate",
                       "willBeginDecelerating"};
    EXPECT_EQ(delegate->log, released);

    // On the main loop's clock, a frame at a time, always towards the top.
    clock->advance(ScrollView::kFrameInterval - 0.001);
    EXPECT_EQ(delegate->log.size(), released.size());
    clock->advance(0.1);
    EXPECT_GT(scroll->contentOffset().y, -80);
    EXPECT_LT(scroll->contentOffset().y, -10);
    double before = scroll->contentOffset().y;
    clock->advance(0.1);
    EXPECT_GT(scroll->contentOffset().y, before);
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    EXPECT_FALSE(scroll->isDecelerating());
    ASSERT_GT(delegate->log.size(), released.size() + 5);
    EXPECT_EQ(delegate->log[delegate->log.size() - 2], "scroll 0,0 decelerating");
    EXPECT_EQ(delegate->log.back(), "didEndDecelerating");
}

TEST_F(ScrollViewTest, ContentDeceleratesWhenTheFingerFlicksOrLeavesItOutOfRange) {
    auto scroll = makeList();
    dragVertically(*scroll, -100);  // in range, finger still
    EXPECT_EQ(delegate->log.back(), "didEndDragging stop");
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(RunLoop::main().pendingTimerCount(), 0u);

    // A flick coasts on with the finger's speed and comes to rest by itself.
    delegate->log.clear();
    dragVertically(*scroll, -100, Point{0, -400});
    EXPECT_EQ(delegate->log.back(), "willBeginDecelerating");
    clock->advance(0.5);
    EXPECT_GT(scroll->contentOffset().y, 250);
    EXPECT_TRUE(scroll->isDecelerating());
    clock->advance(5.0);
    EXPECT_EQ(delegate->log.back(), "didEndDecelerating");
    EXPECT_NEAR(scroll->contentOffset().y, 200 + 400 / 2.002, 1) << "the phone's friction";

    // A sideways flick on content that cannot move sideways does not count.
    delegate->log.clear();
    dragVertically(*scroll, -100, Point{900, 0});
    EXPECT_EQ(delegate->log.back(), "didEndDragging stop");
}

TEST_F(ScrollViewTest, ReleasedContentSettlesIntoTheInsetsSetAfterTheRelease) {
    auto scroll = makeList();
    // The pull-to-refresh release: the screen holds the header open with a top inset.
    delegate->onEndDragging = [](ScrollView& view) {
        if (view.contentOffset().y <= -65) {
            view.setContentInset(EdgeInsets{60, 0, 0, 0});
        }
    };
    dragVertically(*scroll, 80);
    EXPECT_EQ(scroll->contentOffset().y, -80);
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(scroll->contentOffset().y, -60);
    EXPECT_EQ(delegate->log.back(), "didEndDecelerating");
}

TEST_F(ScrollViewTest, WithoutBounceEveryMoveStaysWithinRange) {
    auto scroll = makeList();
    scroll->setBounces(false);
    scroll->beginDragging(Point{160, 100});
    scroll->dragTo(Point{160, 180});
    EXPECT_EQ(scroll->contentOffset().y, 0);
    scroll->dragTo(Point{160, -700});
    EXPECT_EQ(scroll->contentOffset().y, 600);
    scroll->endDragging(Point{});
    EXPECT_EQ(delegate->log, (Log{"willBeginDragging", "scroll 0,600 dragging", "didEndDragging stop"}));
}

TEST_F(ScrollViewTest, PagedContentSettlesOnePageAtMostInTheDirectionOfTheFlick) {
    auto strip = makeStrip();
    strip->beginDragging(Point{300, 80});
    strip->dragTo(Point{200, 80});
    strip->endDragging(Point{-1000, 0});
    EXPECT_EQ(strip->contentOffset().x, 100);
    EXPECT_EQ(delegate->log.back(), "willBeginDecelerating");
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(strip->contentOffset().x, 320);
    EXPECT_EQ(delegate->log.back(), "didEndDecelerating");

    // Let go without a flick: back to the nearest page.
    strip->beginDragging(Point{300, 80});
    strip->dragTo(Point{200, 80});
    strip->endDragging(Point{});
    EXPECT_EQ(delegate->log.back(), "willBeginDecelerating");
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(strip->contentOffset().x, 320);

    // A long flick from the first page still stops on the second.
    strip->setContentOffset(Point{0, 0});
    strip->beginDragging(Point{300, 80});
    strip->dragTo(Point{-200, 80});
    strip->endDragging(Point{-3000, 0});
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(strip->contentOffset().x, 320);

    // A flick past the last page stays on it.
    strip->setContentOffset(Point{640, 0});
    strip->beginDragging(Point{300, 80});
    strip->dragTo(Point{100, 80});
    strip->endDragging(Point{-1000, 0});
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(strip->contentOffset().x, 640);
    EXPECT_EQ(delegate->log.back(), "didEndDecelerating");
}

TEST_F(ScrollViewTest, ThePanRecognizersTargetsHearEveryPhaseOfTheDragAfterTheContentMoved) {
    auto scroll = makeList();
    const auto& pan = scroll->panGestureRecognizer();
    EXPECT_EQ(pan->view(), scroll.get());
    std::vector<GestureState> states;
    std::vector<double> translations;
    std::vector<double> offsets;
    pan->addAction([&](GestureRecognizer& recognizer) {
        states.push_back(recognizer.state());
        translations.push_back(static_cast<PanGestureRecognizer&>(recognizer).translationInView(nullptr).y);
        offsets.push_back(scroll->contentOffset().y);
    });
    scroll->beginDragging(Point{160, 300});
    scroll->dragTo(Point{160, 280});
    scroll->dragTo(Point{160, 250});
    scroll->endDragging(Point{});
    EXPECT_EQ(states, (std::vector<GestureState>{GestureState::Began, GestureState::Changed,
                                                 GestureState::Changed, GestureState::Ended}));
    EXPECT_EQ(translations, (std::vector<double>{0, -20, -50, -50}));
    EXPECT_EQ(offsets, (std::vector<double>{0, 20, 50, 50}));
}

TEST_F(ScrollViewTest, ANewDragDuringTheDecelerationStopsTheContentWhereItIs) {
    auto scroll = makeList();
    dragVertically(*scroll, 80);
    clock->advance(0.1);
    const double caught = scroll->contentOffset().y;
    EXPECT_GT(caught, -80);
    ASSERT_TRUE(scroll->beginDragging(Point{160, 300}));
    EXPECT_FALSE(scroll->isDecelerating());
    clock->advance(1.0);
    EXPECT_EQ(scroll->contentOffset().y, caught);
    EXPECT_EQ(std::count(delegate->log.begin(), delegate->log.end(), "didEndDecelerating"), 0);
    EXPECT_FALSE(scroll->beginDragging(Point{160, 300}));  // one drag at a time

    scroll->endDragging(Point{});
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(scroll->contentOffset().y, 0);

    scroll->setScrollEnabled(false);
    EXPECT_FALSE(scroll->beginDragging(Point{160, 300}));
}

TEST_F(ScrollViewTest, ATouchThatMovesMoreThanTheThresholdDragsTheContentFromWhereItWentDown) {
    auto scroll = makeList();
    scroll->setFrame(Rect::make(0, 64, 320, 400));
    auto window = windowWith(scroll);
    std::vector<GestureState> states;
    scroll->panGestureRecognizer()->addAction([&](GestureRecognizer& r) { states.push_back(r.state()); });

    // A touch that stays put is no drag.
    window->tap(Point{160, 300});
    EXPECT_TRUE(delegate->log.empty());

    window->sendTouch(TouchPhase::Began, Point{160, 300});
    EXPECT_TRUE(scroll->isTracking());
    window->sendTouch(TouchPhase::Moved, Point{160, 295});
    EXPECT_FALSE(scroll->isDragging());
    window->sendTouch(TouchPhase::Moved, Point{160, 250});
    EXPECT_TRUE(scroll->isDragging());
    EXPECT_EQ(scroll->contentOffset().y, 50);
    window->sendTouch(TouchPhase::Moved, Point{160, 240});
    window->sendTouch(TouchPhase::Ended, Point{160, 240});
    EXPECT_FALSE(scroll->isTracking());
    EXPECT_EQ(delegate->log, (Log{"willBeginDragging", "scroll 0,50 dragging", "scroll 0,60 dragging",
                                  "didEndDragging stop"}));
    EXPECT_EQ(states,
              (std::vector<GestureState>{GestureState::Began, GestureState::Changed, GestureState::Ended}));
}

TEST_F(ScrollViewTest, ATouchAlongAnAxisTheViewCannotScrollGoesToTheScrollViewBehindIt) {
    auto pages = makeStrip();
    pages->setFrame(Rect::make(0, 0, 320, 568));
    pages->setContentSize(Size{960, 568});
    auto list = View::create<ScrollView>(Rect::make(0, 0, 320, 568));
    list->setContentSize(Size{320, 2000});
    auto listDelegate = std::make_shared<RecordingScrollDelegate>();
    list->setDelegate(listDelegate);
    pages->addSubview(list);
    auto window = windowWith(pages);

    // Up and down: the list moves, the pages stay.
    window->sendTouch(TouchPhase::Began, Point{160, 300});
    window->sendTouch(TouchPhase::Moved, Point{162, 200});
    window->sendTouch(TouchPhase::Ended, Point{162, 200});
    EXPECT_EQ(list->contentOffset().y, 100);
    EXPECT_EQ(pages->contentOffset().x, 0);

    // Sideways and quick: the pages follow and move on to the next one.
    listDelegate->log.clear();
    window->sendTouch(TouchPhase::Began, Point{200, 300});
    clock->advance(0.05);
    window->sendTouch(TouchPhase::Moved, Point{150, 302});
    clock->advance(0.05);
    window->sendTouch(TouchPhase::Moved, Point{100, 305});
    EXPECT_EQ(pages->contentOffset().x, 100);
    EXPECT_EQ(list->contentOffset().y, 100);
    window->sendTouch(TouchPhase::Ended, Point{100, 305});
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(pages->contentOffset().x, 320);
    EXPECT_TRUE(listDelegate->log.empty());
}

TEST_F(ScrollViewTest, TheScrollViewUnderAPointIsTheInnermostVisibleOneThatCanScrollThatWay) {
    auto pages = makeStrip();
    pages->setFrame(Rect::make(0, 0, 320, 568));
    auto list = View::create<ScrollView>(Rect::make(0, 100, 320, 300));
    list->setContentSize(Size{320, 2000});
    pages->addSubview(list);
    auto window = windowWith(pages);

    EXPECT_EQ(ScrollView::scrollViewAt(*window, Point{160, 200}), list.get());
    EXPECT_EQ(ScrollView::scrollViewAt(*window, Point{160, 200}, Point{0, -100}), list.get());
    EXPECT_EQ(ScrollView::scrollViewAt(*window, Point{160, 200}, Point{-100, 0}), pages.get());
    EXPECT_EQ(ScrollView::scrollViewAt(*window, Point{160, 50}), pages.get());
    list->setHidden(true);
    EXPECT_EQ(ScrollView::scrollViewAt(*window, Point{160, 200}), pages.get());
    pages->setScrollEnabled(false);
    EXPECT_EQ(ScrollView::scrollViewAt(*window, Point{160, 200}), nullptr);
}

TEST_F(ScrollViewTest, ScrollingARectIntoViewMovesAsLittleAsNeededAndTheTreeShowsTheScrollState) {
    auto scroll = makeList();
    scroll->scrollRectToVisible(Rect::make(0, 500, 320, 50), false);
    EXPECT_EQ(scroll->contentOffset().y, 150);
    scroll->scrollRectToVisible(Rect::make(0, 300, 320, 50), false);
    EXPECT_EQ(scroll->contentOffset().y, 150);
    scroll->scrollRectToVisible(Rect::make(0, 100, 320, 50), false);
    EXPECT_EQ(scroll->contentOffset().y, 100);
    scroll->scrollRectToVisible(Rect::make(0, 980, 320, 100), false);
    EXPECT_EQ(scroll->contentOffset().y, 600);

    scroll->setContentInset(EdgeInsets{60, 0, 10, 0});
    platform::Value node;
    scroll->describe(node);
    EXPECT_EQ(node["class"], "ScrollView");
    EXPECT_EQ(node["contentOffset"], (platform::Value{0, 600}));
    EXPECT_EQ(node["contentSize"], (platform::Value{320, 1000}));
    EXPECT_EQ(node["contentInset"], (platform::Value{60, 0, 10, 0}));
    EXPECT_EQ(node["paging"], false);
    EXPECT_FALSE(node.contains("moving"));
    EXPECT_TRUE(scroll->screenEntry().is_null());
}

TEST_F(ScrollViewTest, TheTreeShowsTheContentMovingFromTheDragUntilTheDecelerationEnds) {
    auto scroll = makeList();
    auto moving = [&] {
        platform::Value node;
        scroll->describe(node);
        return node.contains("moving") && node["moving"] == true;
    };
    scroll->beginDragging(Point{160, 300});
    scroll->dragTo(Point{160, 200});
    EXPECT_TRUE(moving());
    scroll->endDragging(Point{0, -800});
    EXPECT_TRUE(moving());
    clock->advance(1.0);
    EXPECT_TRUE(moving()) << "still coasting";
    clock->advance(5.0);
    EXPECT_FALSE(moving());
}

}  // namespace
