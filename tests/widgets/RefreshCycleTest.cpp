#include "WidgetsFixture.h"
#include "components/RefreshCycle.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <numbers>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace qelvo::test {
namespace {

using platform::EdgeInsets;
using platform::Point;
using platform::Rect;

// What a list screen does with the cycle: forwards its list's scrolling and, when a
// refresh starts, closes it again after the reload delay.
class ListScreen : public platform::TableViewDelegate {
public:
    void scrollViewDidScroll(platform::ScrollView& view) override { cycle.scrollViewDidScroll(view); }
    void scrollViewDidEndDragging(platform::ScrollView& view, bool) override {
        cycle.scrollViewDidEndDragging(view);
    }
    RefreshCycle cycle;
    int starts = 0;
    int finished = 0;
};

class RefreshCycleTest : public WidgetsFixture {
protected:
    void SetUp() override {
        WidgetsFixture::SetUp();
        rows = std::make_shared<PlainRows>(30);
        screen = std::make_shared<ListScreen>();
        list = platform::View::create<platform::TableView>(Rect::make(0, 0, 320, 480));
        list->setDataSource(rows);
        list->setDelegate(screen);
        window->addSubview(list);
        list->reloadData();
        screen->cycle.attach(list, 320);
        screen->cycle.setOnStart([this] {
            ++screen->starts;
            platform::RunLoop::main().schedule(RefreshCycle::kReloadDelay, [this] {
                ++screen->finished;
                screen->cycle.dataSourceDidFinishLoadingNewData();
            });
        });
    }

    RefreshTableHeaderView& header() { return *screen->cycle.header(); }

    // A finger pulls the list down by `distance` points and holds it there.
    void pull(double distance) {
        ASSERT_TRUE(list->beginDragging(Point{160, 200}));
        list->dragTo(Point{160, 200 + distance});
    }
    void moveTo(double distance) { list->dragTo(Point{160, 200 + distance}); }
    void release() { list->endDragging(Point{0, 0}); }

    std::shared_ptr<PlainRows> rows;
    std::shared_ptr<ListScreen> screen;
    std::shared_ptr<platform::TableView> list;
};

TEST_F(RefreshCycleTest, HeaderSitsAboveTheListOnceWithTheListsHeight) {
    ASSERT_NE(screen->cycle.header(), nullptr);
    EXPECT_EQ(header().frame(), Rect::make(0, -480, 320, 480));
    EXPECT_EQ(header().superview(), list.get());
    EXPECT_EQ(header().backgroundColor(), platform::Color::white(0.94));
    EXPECT_TRUE(header().isOpaque());
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kNormal);
    EXPECT_FALSE(screen->cycle.reloading());

    auto first = screen->cycle.header();
    screen->cycle.attach(list, 320);
    EXPECT_EQ(screen->cycle.header(), first);
    int headers = 0;
    for (const auto& child : list->subviews()) {
        headers += dynamic_cast<RefreshTableHeaderView*>(child.get()) ? 1 : 0;
    }
    EXPECT_EQ(headers, 1);
}

TEST_F(RefreshCycleTest, ReleaseAtExactly65StartsAndHoldsTheHeaderOpen) {
    pull(65);
    EXPECT_DOUBLE_EQ(list->contentOffset().y, -65);
    release();
    EXPECT_TRUE(screen->cycle.reloading());
    EXPECT_EQ(screen->starts, 1);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kLoading);
    EXPECT_EQ(header().statusLabel()->text(), "正在刷新...");
    EXPECT_TRUE(header().activityView()->isAnimating());
    EXPECT_TRUE(header().arrowImage()->isHidden());

    clock->advance(0.5);  // the opening animation and the list's settling are over
    EXPECT_EQ(list->contentInset(), (EdgeInsets{60, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(list->contentOffset().y, -60);
    EXPECT_EQ(screen->finished, 0);
}

TEST_F(RefreshCycleTest, ReleaseShortOf65StartsNothing) {
    pull(64.9);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kNormal);
    release();
    EXPECT_FALSE(screen->cycle.reloading());
    EXPECT_EQ(screen->starts, 0);
    clock->advance(3.0);
    EXPECT_EQ(list->contentInset(), EdgeInsets{});
    EXPECT_DOUBLE_EQ(list->contentOffset().y, 0);
    EXPECT_EQ(screen->finished, 0);
}

TEST_F(RefreshCycleTest, TrackingTurnsToPullingAndBackToNormal) {
    header().setCurrentDate();
    ASSERT_FALSE(header().lastUpdatedLabel()->text().empty());

    pull(80);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kPulling);
    EXPECT_EQ(header().statusLabel()->text(), "释放立即刷新...");
    EXPECT_DOUBLE_EQ(header().arrowImage()->rotation(), std::numbers::pi);

    moveTo(30);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kNormal);
    EXPECT_EQ(header().statusLabel()->text(), "下拉刷新...");
    EXPECT_DOUBLE_EQ(header().arrowImage()->rotation(), 0);
    EXPECT_FALSE(header().arrowImage()->isHidden());
    // No delegate: entering the normal state clears the last-update line.
    EXPECT_EQ(header().lastUpdatedLabel()->text(), "");

    release();
    EXPECT_FALSE(screen->cycle.reloading());
    EXPECT_EQ(screen->starts, 0);
}

TEST_F(RefreshCycleTest, AFingerPullingTheListDownPassesTheHeaderThroughItsThreeStates) {
    // The finger goes down on a row and pulls 10 points a frame; the header's state and
    // text are read after every move, as the display draws them.
    std::vector<std::pair<int, std::string>> seen;
    double pulledAt = 0;
    ASSERT_TRUE(window->sendTouch(platform::TouchPhase::Began, Point{160, 100}));
    for (double y = 110; y <= 300; y += 10) {
        clock->advance(platform::ScrollView::kFrameInterval);
        window->sendTouch(platform::TouchPhase::Moved, Point{160, y});
        std::pair<int, std::string> now{header().state(), header().statusLabel()->text()};
        if (seen.empty() || seen.back() != now) {
            seen.push_back(now);
            pulledAt = list->contentOffset().y;
        }
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{
                        {RefreshTableHeaderView::kNormal, "下拉刷新..."},
                        {RefreshTableHeaderView::kPulling, "释放立即刷新..."}}));
    EXPECT_LT(pulledAt, -65) << "pulling from past 65 points";
    EXPECT_GT(pulledAt, -75);
    EXPECT_GT(list->contentOffset().y, -190) << "the list resists the finger";
    EXPECT_EQ(screen->starts, 0);

    clock->advance(0.2);
    window->sendTouch(platform::TouchPhase::Ended, Point{160, 300});
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kLoading);
    EXPECT_EQ(header().statusLabel()->text(), "正在刷新...");
    EXPECT_EQ(screen->starts, 1);
    clock->advance(platform::ScrollView::kSettleDuration);
    EXPECT_DOUBLE_EQ(list->contentOffset().y, -60) << "held open while it refreshes";
    clock->advance(RefreshCycle::kReloadDelay);
    EXPECT_EQ(screen->finished, 1);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kNormal);
    EXPECT_DOUBLE_EQ(list->contentOffset().y, 0);
}

TEST_F(RefreshCycleTest, ScrollingThatNoFingerDrivesLeavesTheStateAlone) {
    list->setContentOffset(Point{0, -100});
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kNormal);
    screen->cycle.scrollViewDidEndDragging(*list);  // a release there would start one
    EXPECT_TRUE(screen->cycle.reloading());
}

TEST_F(RefreshCycleTest, ProgrammaticStartShowsTheLoadingHeaderAtOnce) {
    EXPECT_TRUE(screen->cycle.startProgrammatically());
    EXPECT_DOUBLE_EQ(list->contentOffset().y, -60);
    EXPECT_TRUE(screen->cycle.reloading());
    EXPECT_EQ(screen->starts, 1);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kLoading);
    EXPECT_TRUE(header().activityView()->isAnimating());
    EXPECT_FALSE(header().activityView()->isHidden());

    clock->advance(0.2);
    EXPECT_EQ(list->contentInset(), (EdgeInsets{60, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(list->contentOffset().y, -60);
    // The header's bottom edge is at the content's top: 60 points of it show.
    const Rect shown =
        header().frame().offsetBy(0, -list->contentOffset().y).intersection(Rect::make(0, 0, 320, 480));
    EXPECT_DOUBLE_EQ(shown.height(), 60);
}

TEST_F(RefreshCycleTest, NoSecondStartWhileReloading) {
    ASSERT_TRUE(screen->cycle.startProgrammatically());
    EXPECT_FALSE(screen->cycle.startProgrammatically());

    clock->advance(0.5);
    pull(60);  // from -60 down to -120
    EXPECT_LT(list->contentOffset().y, -65);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kLoading);
    release();
    EXPECT_EQ(screen->starts, 1);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kLoading);

    clock->advance(2.0);
    EXPECT_EQ(screen->finished, 1);
    EXPECT_FALSE(screen->cycle.reloading());
    clock->advance(5.0);
    EXPECT_EQ(screen->finished, 1);
}

TEST_F(RefreshCycleTest, ClosingReturnsTheListAndWritesTheRefreshTime) {
    ASSERT_TRUE(screen->cycle.startProgrammatically());
    clock->advance(1.9);
    EXPECT_TRUE(screen->cycle.reloading());
    clock->advance(0.1);
    EXPECT_EQ(screen->finished, 1);
    EXPECT_FALSE(screen->cycle.reloading());
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kNormal);
    EXPECT_FALSE(header().activityView()->isAnimating());
    EXPECT_FALSE(header().arrowImage()->isHidden());
    EXPECT_EQ(list->contentInset(), EdgeInsets{});
    clock->advance(0.3);
    EXPECT_DOUBLE_EQ(list->contentOffset().y, 0);

    const std::string line = header().lastUpdatedLabel()->text();
    const platform::DateFormatter format("MM/dd/yyyy hh:mm a");
    EXPECT_EQ(line, "上次刷新: " + format.stringFromDate(clock->wallNow()));
    EXPECT_TRUE(std::regex_match(line, std::regex("上次刷新: \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d (AM|PM)")))
        << line;
    EXPECT_EQ(preference("RefreshTableView_LastRefresh"), line);

    // A new pull works again after closing.
    pull(70);
    EXPECT_EQ(header().state(), RefreshTableHeaderView::kPulling);
    release();
    EXPECT_EQ(screen->starts, 2);
}

TEST_F(RefreshCycleTest, ACycleWithoutAListStartsNothing) {
    RefreshCycle lone;
    EXPECT_EQ(lone.header(), nullptr);
    EXPECT_FALSE(lone.startProgrammatically());
    EXPECT_FALSE(lone.reloading());
    lone.dataSourceDidFinishLoadingNewData();  // nothing to close, nothing breaks
    EXPECT_FALSE(lone.reloading());
}

}  // namespace
}  // namespace qelvo::test
