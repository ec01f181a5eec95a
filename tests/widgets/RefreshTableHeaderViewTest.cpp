#include "WidgetsFixture.h"
#include "components/RefreshTableHeaderView.h"
#include "platform/foundation/DateFormatter.h"

#include <gtest/gtest.h>

#include <numbers>

namespace qelvo::test {
namespace {

using platform::EdgeInsets;
using platform::Point;
using platform::Rect;

const platform::Color kLineColor{0.52, 0.64, 0.74, 1.0};

class RefreshTableHeaderViewTest : public WidgetsFixture {
protected:
    void SetUp() override {
        WidgetsFixture::SetUp();
        header = platform::View::create<RefreshTableHeaderView>(Rect::make(0, -400, 320, 400));
    }
    std::shared_ptr<RefreshTableHeaderView> header;
};

TEST_F(RefreshTableHeaderViewTest, BuildsItsLinesArrowAndSpinnerFromTheBottomEdge) {
    EXPECT_EQ(header->autoresizingMask(), platform::FlexibleWidth);
    EXPECT_EQ(header->backgroundColor(), platform::Color::clear());

    const auto& last = *header->lastUpdatedLabel();
    EXPECT_EQ(last.frame(), Rect::make(0, 370, 320, 20));
    EXPECT_EQ(last.font(), platform::Font::systemFont(12));
    EXPECT_EQ(last.textColor(), kLineColor);
    EXPECT_EQ(last.shadowOffset(), (platform::Size{0, 1}));
    EXPECT_EQ(last.textAlignment(), platform::TextAlignment::Center);
    EXPECT_EQ(last.autoresizingMask(), platform::FlexibleWidth);

    const auto& status = *header->statusLabel();
    EXPECT_EQ(status.frame(), Rect::make(0, 352, 320, 20));
    EXPECT_EQ(status.font(), platform::Font::boldSystemFont(13));
    EXPECT_EQ(status.textColor(), kLineColor);
    EXPECT_EQ(status.textAlignment(), platform::TextAlignment::Center);

    const auto& arrow = *header->arrowImage();
    EXPECT_EQ(arrow.frame(), Rect::make(25, 335, 30, 55));
    EXPECT_EQ(arrow.contentMode(), platform::ContentMode::ScaleAspectFit);
    ASSERT_NE(arrow.image(), nullptr);
    EXPECT_NE(arrow.image()->source().find("indicatorArrow"), std::string::npos);

    EXPECT_EQ(header->activityView()->frame(), Rect::make(25, 362, 20, 20));
    EXPECT_EQ(header->activityView()->style(), platform::ActivityIndicatorStyle::Gray);

    EXPECT_EQ(header->state(), RefreshTableHeaderView::kNormal);
    EXPECT_EQ(status.text(), "下拉刷新...");
    EXPECT_EQ(last.text(), "");
    EXPECT_FALSE(header->activityView()->isAnimating());
    EXPECT_FALSE(arrow.isHidden());
}

TEST_F(RefreshTableHeaderViewTest, StatesShowTheirTextArrowAndSpinner) {
    header->setState(RefreshTableHeaderView::kPulling);
    EXPECT_EQ(header->statusLabel()->text(), "释放立即刷新...");
    EXPECT_DOUBLE_EQ(header->arrowImage()->rotation(), std::numbers::pi);
    EXPECT_FALSE(header->activityView()->isAnimating());

    header->setState(RefreshTableHeaderView::kLoading);
    EXPECT_EQ(header->statusLabel()->text(), "正在刷新...");
    EXPECT_TRUE(header->activityView()->isAnimating());
    EXPECT_TRUE(header->arrowImage()->isHidden());

    header->setState(RefreshTableHeaderView::kNormal);
    EXPECT_EQ(header->statusLabel()->text(), "下拉刷新...");
    EXPECT_FALSE(header->activityView()->isAnimating());
    EXPECT_TRUE(header->activityView()->isHidden());
    EXPECT_FALSE(header->arrowImage()->isHidden());
    EXPECT_DOUBLE_EQ(header->arrowImage()->rotation(), 0);
}

TEST_F(RefreshTableHeaderViewTest, AnUnknownStateIsStoredButChangesNothingVisible) {
    header->setState(RefreshTableHeaderView::kLoading);
    header->setState(5);
    EXPECT_EQ(header->state(), 5);
    EXPECT_EQ(header->statusLabel()->text(), "正在刷新...");
    EXPECT_TRUE(header->activityView()->isAnimating());
    EXPECT_TRUE(header->arrowImage()->isHidden());
}

TEST_F(RefreshTableHeaderViewTest, CurrentDateIsWrittenToTheLineAndThePreferences) {
    header->setCurrentDate();
    const std::string expected =
        "上次刷新: " + platform::DateFormatter("MM/dd/yyyy hh:mm a").stringFromDate(clock->wallNow());
    EXPECT_EQ(header->lastUpdatedLabel()->text(), expected);
    EXPECT_EQ(preference("RefreshTableView_LastRefresh"), expected);

    // Written to disk at once: a fresh load of the store sees it.
    platform::UserDefaults::standard().load();
    EXPECT_EQ(preference("RefreshTableView_LastRefresh"), expected);
}

// A partner in the self-driving mode, with answers the test sets.
class Partner : public RefreshTableHeaderDelegate {
public:
    void refreshTableHeaderDidTriggerRefresh(RefreshTableHeaderView&) override { ++triggers; }
    bool refreshTableHeaderDataSourceIsLoading(RefreshTableHeaderView&) override { return loading; }
    std::optional<platform::Clock::Date> refreshTableHeaderDataSourceLastUpdated(
        RefreshTableHeaderView&) override {
        return lastUpdated;
    }
    int triggers = 0;
    bool loading = false;
    std::optional<platform::Clock::Date> lastUpdated;
};

TEST_F(RefreshTableHeaderViewTest, LastUpdatedDateComesFromThePartnerOrClearsTheLine) {
    header->setCurrentDate();
    header->refreshLastUpdatedDate();
    EXPECT_EQ(header->lastUpdatedLabel()->text(), "");

    auto partner = std::make_shared<Partner>();
    partner->lastUpdated = clock->wallNow();
    header->setDelegate(partner);
    header->refreshLastUpdatedDate();
    const std::string expected =
        "上次更新时间: " + platform::DateFormatter("yyyy-MM-dd HH:mm").stringFromDate(clock->wallNow());
    EXPECT_EQ(header->lastUpdatedLabel()->text(), expected);
    EXPECT_EQ(preference("RefreshTableView_LastRefresh"), expected);

    // The partner is not owned: once gone, the line clears.
    partner.reset();
    header->setState(RefreshTableHeaderView::kNormal);
    EXPECT_EQ(header->lastUpdatedLabel()->text(), "");
}

// A list that forwards its scrolling to the header, as the self-driving mode expects.
class Forwarder : public platform::TableViewDelegate {
public:
    void scrollViewDidScroll(platform::ScrollView& view) override {
        if (auto strong = header.lock()) {
            strong->refreshScrollViewDidScroll(view);
        }
    }
    void scrollViewDidEndDragging(platform::ScrollView& view, bool) override {
        if (auto strong = header.lock()) {
            strong->refreshScrollViewDidEndDragging(view);
        }
    }
    std::weak_ptr<RefreshTableHeaderView> header;
};

class SelfDrivingTest : public RefreshTableHeaderViewTest {
protected:
    void SetUp() override {
        RefreshTableHeaderViewTest::SetUp();
        rows = std::make_shared<PlainRows>(30);
        forwarder = std::make_shared<Forwarder>();
        forwarder->header = header;
        partner = std::make_shared<Partner>();
        header->setDelegate(partner);
        list = platform::View::create<platform::TableView>(Rect::make(0, 0, 320, 400));
        list->setDataSource(rows);
        list->setDelegate(forwarder);
        list->addSubview(header);
        window->addSubview(list);
        list->reloadData();
    }
    void pull(double distance) {
        ASSERT_TRUE(list->beginDragging(Point{160, 100}));
        list->dragTo(Point{160, 100 + distance});
    }

    std::shared_ptr<PlainRows> rows;
    std::shared_ptr<Forwarder> forwarder;
    std::shared_ptr<Partner> partner;
    std::shared_ptr<platform::TableView> list;
};

TEST_F(SelfDrivingTest, PullReleaseAndFinishRunTheWholeCycle) {
    pull(70);
    EXPECT_EQ(header->state(), RefreshTableHeaderView::kPulling);
    list->endDragging(Point{0, 0});
    EXPECT_EQ(partner->triggers, 1);
    EXPECT_EQ(header->state(), RefreshTableHeaderView::kLoading);
    EXPECT_EQ(list->contentInset().top, 60);
    clock->advance(0.5);
    EXPECT_DOUBLE_EQ(list->contentOffset().y, -60);

    partner->lastUpdated = clock->wallNow();
    header->refreshScrollViewDataSourceDidFinishedLoading(*list);
    EXPECT_EQ(list->contentInset(), EdgeInsets{});
    EXPECT_EQ(header->state(), RefreshTableHeaderView::kNormal);
    EXPECT_EQ(header->lastUpdatedLabel()->text().rfind("上次更新时间: ", 0), 0u);
}

TEST_F(SelfDrivingTest, WhileLoadingTheInsetFollowsThePullWithinZeroAndSixty) {
    header->setState(RefreshTableHeaderView::kLoading);
    list->setContentOffset(Point{0, -30});
    EXPECT_EQ(list->contentInset(), (EdgeInsets{30, 0, 0, 0}));
    list->setContentOffset(Point{0, -100});
    EXPECT_EQ(list->contentInset(), (EdgeInsets{60, 0, 0, 0}));
    list->setContentOffset(Point{0, 40});
    EXPECT_EQ(list->contentInset(), EdgeInsets{});
}

TEST_F(SelfDrivingTest, APartnerThatIsLoadingBlocksPullingAndTriggering) {
    partner->loading = true;
    pull(90);
    EXPECT_EQ(header->state(), RefreshTableHeaderView::kNormal);
    list->endDragging(Point{0, 0});
    EXPECT_EQ(partner->triggers, 0);
    EXPECT_EQ(header->state(), RefreshTableHeaderView::kNormal);
    EXPECT_EQ(list->contentInset(), EdgeInsets{});
}

TEST_F(SelfDrivingTest, ReleaseShortOfTheThresholdAndWithoutPartnerTriggersNothing) {
    pull(64.9);
    list->endDragging(Point{0, 0});
    EXPECT_EQ(partner->triggers, 0);
    EXPECT_EQ(header->state(), RefreshTableHeaderView::kNormal);

    clock->advance(1.0);
    header->setDelegate({});
    pull(66);
    list->endDragging(Point{0, 0});
    EXPECT_EQ(header->state(), RefreshTableHeaderView::kLoading);
    EXPECT_EQ(list->contentInset().top, 60);
}

}  // namespace
}  // namespace qelvo::test
