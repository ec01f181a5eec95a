// A list under a finger: the device's touch stream, step by step on the manual clock.

#include "platform/device/Device.h"
#include "platform/foundation/Json.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"

#include "tests/ui_scroll/UiScrollTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::ScrollView;
using platform::Value;
using qelvo::testing::IndexPath;
using qelvo::testing::Point;
using qelvo::testing::Rect;
using qelvo::testing::RowsSource;
using Log = std::vector<std::string>;

class TouchStreamTest : public qelvo::testing::UiScrollTest {
protected:
    // One step of the finger at (160, y); the status the device answers.
    int touch(const char* phase, double y) {
        fingerY = y;
        return device.touch(Value{{"phase", phase}, {"x", 160.0}, {"y", y}, {"id", finger}}).status;
    }
    void putDown(double y) {
        ++finger;
        ASSERT_EQ(touch("began", y), 200);
    }
    // The finger slides to `y`, 10 points a frame; the content offset after each move.
    std::vector<double> slideTo(double y, const ScrollView& list) {
        std::vector<double> offsets;
        const double step = y > fingerY ? 10 : -10;
        while (std::fabs(y - fingerY) > 1e-9) {
            clock->advance(ScrollView::kFrameInterval);
            EXPECT_EQ(touch("moved", fingerY + step), 200);
            offsets.push_back(list.contentOffset().y);
        }
        return offsets;
    }
    // The offsets the list told its delegate of while it moved by itself.
    static std::vector<double> coastingOffsets(const Log& log) {
        std::vector<double> offsets;
        for (const std::string& entry : log) {
            if (entry.rfind("scroll 0,", 0) == 0 && entry.find(" decelerating") != std::string::npos) {
                offsets.push_back(std::stod(entry.substr(9)));
            }
        }
        return offsets;
    }

    platform::Device device;
    long long finger = 0;
    double fingerY = 0;
};

TEST_F(TouchStreamTest, AListFollowsTheFingerCoastsAfterAQuickReleaseStopsAfterASlowOneResistsAtItsEdgesAndTakesTaps) {
    auto rows = std::make_shared<RowsSource>(std::vector<int>{50});  // 50 rows of 44 points
    auto list = qelvo::testing::makeTable(rows, Rect::make(0, 0, 320, 480));
    auto window = windowWith(list);
    window->makeKeyAndVisible();

    // Past the slop the list takes the finger and follows every move, one to one in range.
    putDown(400);
    auto offsets = slideTo(200, *list);
    EXPECT_EQ(offsets.back(), 200);
    Log expected{"willBeginDragging"};
    for (int offset = 10; offset <= 200; offset += 10) {
        expected.push_back("scroll 0," + std::to_string(offset) + " dragging");
    }
    EXPECT_EQ(rows->log, expected);
    for (const auto& cell : list->visibleCells()) {
        EXPECT_FALSE(cell->isHighlighted()) << "the row under the finger had its touch cancelled";
    }

    // Let go while moving (500 points a second): the content coasts on and comes to rest.
    clock->advance(ScrollView::kFrameInterval);
    ASSERT_EQ(touch("ended", fingerY), 200);
    EXPECT_EQ(rows->log.size(), expected.size() + 2);
    EXPECT_EQ(rows->log[expected.size()], "didEndDragging decelerate");
    EXPECT_EQ(rows->log.back(), "willBeginDecelerating");
    clock->advance(0.5);
    EXPECT_TRUE(list->isDecelerating());
    const double coasting = list->contentOffset().y;
    EXPECT_GT(coasting, 300);
    clock->advance(5.0);
    EXPECT_FALSE(list->isDecelerating());
    EXPECT_EQ(rows->log.back(), "didEndDecelerating");
    const double rest = list->contentOffset().y;
    EXPECT_GT(rest, coasting + 50);
    auto coasted = coastingOffsets(rows->log);
    ASSERT_GT(coasted.size(), 30U) << "the coasting is drawn frame by frame";
    EXPECT_TRUE(std::is_sorted(coasted.begin(), coasted.end())) << "always onwards, never back";
    EXPECT_EQ(coasted.back(), rest);

    // Let go after the finger stood still: the content stays where it was put.
    rows->log.clear();
    putDown(300);
    slideTo(200, *list);
    clock->advance(0.2);
    ASSERT_EQ(touch("ended", fingerY), 200);
    EXPECT_EQ(rows->log.back(), "didEndDragging stop");
    clock->advance(1.0);
    EXPECT_EQ(list->contentOffset().y, rest + 100);

    // Pulled past the top, the content goes less far with every step, then springs back.
    list->setContentOffset(Point{0, 0});
    rows->log.clear();
    putDown(100);
    offsets = slideTo(300, *list);
    EXPECT_LT(offsets.back(), -60);
    EXPECT_GT(offsets.back(), -120) << "the finger went 200 points";
    for (std::size_t i = 1; i < offsets.size(); ++i) {
        double before = i > 1 ? offsets[i - 2] : 0;
        EXPECT_LT(offsets[i - 1] - offsets[i], before - offsets[i - 1]) << "step " << i;
    }
    clock->advance(0.2);
    ASSERT_EQ(touch("ended", fingerY), 200);
    EXPECT_EQ(rows->log.back(), "willBeginDecelerating");
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(list->contentOffset().y, 0);
    EXPECT_EQ(rows->log.back(), "didEndDecelerating");

    // None of those drags was a tap; a touch that stays put still selects its row.
    EXPECT_TRUE(rows->events.empty());
    putDown(100);
    clock->advance(0.1);
    ASSERT_EQ(touch("ended", 103), 200);
    EXPECT_EQ(rows->events, (std::vector<std::string>{"select 0.2"}));

    // Steps that carry the sender's times are measured on them: steps 16 ms apart on the
    // sender's clock fling the list, though they all arrive at one moment here.
    rows->log.clear();
    ++finger;
    auto timed = [&](const char* phase, double y, double ms) {
        return device.touch(Value{{"phase", phase}, {"x", 160.0}, {"y", y}, {"id", finger}, {"time", ms}}).status;
    };
    ASSERT_EQ(timed("began", 400, 5000), 200);
    for (int i = 1; i <= 10; ++i) {
        ASSERT_EQ(timed("moved", 400 - 10 * i, 5000 + 16 * i), 200);
    }
    ASSERT_EQ(timed("ended", 300, 5176), 200);
    EXPECT_EQ(rows->log.back(), "willBeginDecelerating");

    // The stream keeps to its finger.
    EXPECT_EQ(touch("moved", 120), 409) << "that finger is up";
    EXPECT_EQ(device.touch(Value{{"phase", "pressed"}, {"x", 1}, {"y", 1}, {"id", 9}}).status, 400);
}

}  // namespace
