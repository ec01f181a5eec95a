#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "tests/ui/UiTest.h"

#include <memory>
#include <string>
#include <vector>

using platform::GestureRecognizer;
using platform::GestureState;
using platform::Point;
using platform::Rect;
using platform::TouchPhase;
using platform::View;

namespace {

// A screen's gesture handlers, held weakly by the recognisers.
class Handler {
public:
    void handle(GestureRecognizer& recognizer) {
        states.push_back(recognizer.state());
        where.push_back(recognizer.locationInView(nullptr));
    }
    std::vector<GestureState> states;
    std::vector<Point> where;
};

using States = std::vector<GestureState>;

class GesturesTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = makeMainWindow();
        layout = View::create(Rect::make(0, 100, 320, 300));
        window->addSubview(layout);
        handler = std::make_shared<Handler>();
    }

    // A stroke of one finger from `from` to `to` in `steps` moves.
    void stroke(Point from, Point to, int steps = 4) {
        window->sendTouch(TouchPhase::Began, from);
        for (int i = 1; i <= steps; ++i) {
            double f = static_cast<double>(i) / steps;
            window->sendTouch(TouchPhase::Moved,
                              Point{from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
        }
        window->sendTouch(TouchPhase::Ended, to);
    }

    template <typename Recognizer>
    std::shared_ptr<Recognizer> attach(const std::shared_ptr<View>& view) {
        auto recognizer = std::make_shared<Recognizer>();
        recognizer->addTarget(handler, &Handler::handle);
        view->addGestureRecognizer(recognizer);
        return recognizer;
    }

    std::shared_ptr<platform::Window> window;
    std::shared_ptr<View> layout;
    std::shared_ptr<Handler> handler;
};

// --- taps --------------------------------------------------------------------------

TEST_F(GesturesTest, ATapOnTheViewOrOnAPlainPartOfItFiresItsTapRecognizer) {
    auto tap = attach<platform::TapGestureRecognizer>(layout);
    EXPECT_EQ(tap->view(), layout.get());
    auto caption = View::create<platform::Label>(Rect::make(10, 10, 100, 20));
    caption->setText("清空历史");
    layout->addSubview(caption);
    auto panel = View::create(Rect::make(10, 100, 100, 100));
    layout->addSubview(panel);

    window->tap(Point{200, 200});
    window->tap(Point{20, 115});  // on the label
    window->tap(Point{20, 210});  // on a plain subview
    EXPECT_EQ(handler->states, (States{GestureState::Ended, GestureState::Ended, GestureState::Ended}));
    ASSERT_EQ(handler->where.size(), 3u);
    EXPECT_EQ(handler->where[0], (Point{200, 200}));
    EXPECT_EQ(tap->locationInView(layout.get()), (Point{20, 110}));
}

TEST_F(GesturesTest, ATapOnAButtonInsideTheViewGoesToTheButtonAlone) {
    attach<platform::TapGestureRecognizer>(layout);
    auto key = View::create<platform::Button>(Rect::make(10, 10, 80, 30));
    key->setTitle("税务", platform::ControlStateNormal);
    int pressed = 0;
    key->addAction([&](platform::Control&) { ++pressed; }, platform::TouchUpInside);
    layout->addSubview(key);

    window->tap(Point{50, 125});
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(handler->states.empty());

    window->tap(Point{200, 300});
    EXPECT_EQ(handler->states.size(), 1u);
    EXPECT_EQ(pressed, 1);
}

TEST_F(GesturesTest, AFingerThatMovesTooFarIsNoTapAndADisabledRecognizerStaysQuiet) {
    auto tap = attach<platform::TapGestureRecognizer>(layout);
    stroke(Point{100, 200}, Point{100, 260});
    EXPECT_TRUE(handler->states.empty());

    stroke(Point{100, 200}, Point{104, 203});  // a tremble is still a tap
    EXPECT_EQ(handler->states.size(), 1u);

    tap->setEnabled(false);
    window->tap(Point{100, 200});
    EXPECT_EQ(handler->states.size(), 1u);
}

TEST_F(GesturesTest, ARecognizedTapCancelsTheViewsOwnTouch) {
    // A view that records what reaches it directly.
    class Recording : public View {
    public:
        using View::View;
        void touchesEnded(const platform::Touch&) override { log.push_back("ended"); }
        void touchesCancelled(const platform::Touch&) override { log.push_back("cancelled"); }
        std::vector<std::string> log;
    };
    auto target = View::create<Recording>(Rect::make(0, 0, 100, 100));
    layout->addSubview(target);
    auto tap = attach<platform::TapGestureRecognizer>(target);

    window->tap(Point{50, 150});
    EXPECT_EQ(target->log, (std::vector<std::string>{"cancelled"}));

    tap->setCancelsTouchesInView(false);
    window->tap(Point{50, 150});
    EXPECT_EQ(target->log, (std::vector<std::string>{"cancelled", "ended"}));
}

// --- swipes ------------------------------------------------------------------------

TEST_F(GesturesTest, ASwipeFiresOnlyForItsOwnDirection) {
    auto swipe = attach<platform::SwipeGestureRecognizer>(layout);
    ASSERT_EQ(swipe->direction(), platform::SwipeDirectionRight);

    stroke(Point{40, 250}, Point{280, 250});
    EXPECT_EQ(handler->states, (States{GestureState::Ended}));

    stroke(Point{280, 250}, Point{40, 250});   // to the left
    stroke(Point{160, 110}, Point{160, 390});  // downwards
    stroke(Point{40, 250}, Point{70, 250});    // too short
    stroke(Point{40, 150}, Point{200, 380});   // too steep
    EXPECT_EQ(handler->states.size(), 1u);

    swipe->setDirection(platform::SwipeDirectionLeft | platform::SwipeDirectionDown);
    stroke(Point{280, 250}, Point{40, 250});
    stroke(Point{160, 110}, Point{160, 390});
    EXPECT_EQ(handler->states.size(), 3u);
}

TEST_F(GesturesTest, ASlowStrokeIsNoSwipe) {
    attach<platform::SwipeGestureRecognizer>(layout);
    window->sendTouch(TouchPhase::Began, Point{40, 250});
    clock->advance(0.5);
    window->sendTouch(TouchPhase::Moved, Point{160, 250});
    clock->advance(1.0);
    window->sendTouch(TouchPhase::Ended, Point{280, 250});
    EXPECT_TRUE(handler->states.empty());
}

TEST_F(GesturesTest, ASwipeThatStartsOnAButtonSwipesAndDoesNotPressTheButton) {
    attach<platform::SwipeGestureRecognizer>(layout);
    auto link = View::create<platform::Button>(Rect::make(20, 130, 100, 40));
    std::vector<std::string> events;
    link->addAction([&](platform::Control&) { events.push_back("up"); }, platform::TouchUpInside);
    link->addAction([&](platform::Control&) { events.push_back("cancel"); }, platform::TouchCancel);
    layout->addSubview(link);

    stroke(Point{40, 250}, Point{280, 250});
    EXPECT_EQ(handler->states, (States{GestureState::Ended}));
    EXPECT_EQ(events, (std::vector<std::string>{"cancel"}));
}

// --- pans --------------------------------------------------------------------------

TEST_F(GesturesTest, APanBeginsAfterAFewPointsThenChangesAndEnds) {
    auto pan = attach<platform::PanGestureRecognizer>(layout);
    std::vector<Point> translations;
    pan->addAction([&](GestureRecognizer&) { translations.push_back(pan->translationInView(layout.get())); });

    window->sendTouch(TouchPhase::Began, Point{100, 200});
    window->sendTouch(TouchPhase::Moved, Point{104, 200});
    EXPECT_TRUE(handler->states.empty());
    window->sendTouch(TouchPhase::Moved, Point{120, 200});
    window->sendTouch(TouchPhase::Moved, Point{150, 210});
    window->sendTouch(TouchPhase::Ended, Point{160, 210});

    EXPECT_EQ(handler->states, (States{GestureState::Began, GestureState::Changed, GestureState::Ended}));
    EXPECT_EQ(translations, (std::vector<Point>{{20, 0}, {50, 10}, {60, 10}}));
    EXPECT_EQ(pan->state(), GestureState::Possible);  // ready for the next touch
}

TEST_F(GesturesTest, APanTooSmallFailsSilentlyAndACancelledPanSaysSo) {
    attach<platform::PanGestureRecognizer>(layout);
    stroke(Point{100, 200}, Point{105, 203});
    EXPECT_TRUE(handler->states.empty());

    window->sendTouch(TouchPhase::Began, Point{100, 200});
    window->sendTouch(TouchPhase::Moved, Point{100, 260});
    window->sendTouch(TouchPhase::Cancelled, Point{100, 260});
    EXPECT_EQ(handler->states, (States{GestureState::Began, GestureState::Cancelled}));
}

}  // namespace
