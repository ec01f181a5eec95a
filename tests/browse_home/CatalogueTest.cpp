// The course catalogue and the course list of a category: paging, the footer, the
// cached first page, the busy channel, and the screens their rows open.

#include "platform/foundation/Json.h"
#include "tests/support/BrowseFixture.h"

#include "components/LoadMoreFooter.h"
#include "components/RefreshTableHeaderView.h"
#include "platform/foundation/UserDefaults.h"
#include "screens/CourseCell.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseImgCell.h"
#include "screens/CourseListViewCon.h"
#include "screens/CourseViewCon.h"
#include "service/RequestHelp.h"
#include "storage/CacheFreshness.h"

namespace qelvo::test {
namespace {

using platform::Value;

const char* const kPage1 = "mode=3&nowPage=1&pageSize=10";
const char* const kPage2 = "mode=3&nowPage=2&pageSize=10";

std::shared_ptr<LoadMoreFooter> footerOf(platform::TableView& list) {
    return std::dynamic_pointer_cast<LoadMoreFooter>(list.tableFooterView());
}

class CatalogueTest : public BrowseTest {
protected:
    std::shared_ptr<CourseViewCon> openCatalogue() {
        catalogue = std::make_shared<CourseViewCon>("CourseViewCon");
        show(catalogue);
        return catalogue;
    }

    // Taps "加载更多" and waits until that page's request has ended.
    void loadMore(const std::string& body, std::size_t before) {
        auto footer = footerOf(*catalogue->listTableView());
        ASSERT_TRUE(footer);
        footer->button()->sendActionsForControlEvents(platform::TouchUpInside);
        ASSERT_TRUE(waitForRequests(body, before + 1));
        ASSERT_TRUE(pump([&] { return !catalogue->dataRequest()->running(); }));
    }

    // The first refresh cycle, through to its reply.
    void firstPage() {
        advance(2.0);
        ASSERT_TRUE(waitForRequests(kPage1, 1));
        ASSERT_TRUE(pump([&] { return !catalogue->dataRequest()->running(); }));
    }

    std::shared_ptr<CourseViewCon> catalogue;
};

TEST_F(CatalogueTest, FirstStartIsEmptyThenAsksForPageOneWhenTheHeaderClosesAndStoresIt) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "分类"));
    openCatalogue();
    EXPECT_EQ(catalogue->dataList().size(), 0U);
    EXPECT_EQ(catalogue->refreshHeaderView()->state(), RefreshTableHeaderView::kLoading);
    advance(1.9);
    EXPECT_EQ(service.count("mode=3"), 0U);
    advance(0.1);
    EXPECT_FALSE(catalogue->reloading()) << "the header closes before the request leaves";
    firstPage();
    EXPECT_EQ(service.lastBody("mode=3"), kPage1);
    EXPECT_TRUE(logged("pageNum is: 1"));
    EXPECT_EQ(catalogue->listTableView()->numberOfRowsInSection(0), 10);
    EXPECT_TRUE(footerOf(*catalogue->listTableView()));
    EXPECT_FALSE(CacheFreshness::needsRefresh(CourseViewCon::kRefreshTimeKey));
    EXPECT_TRUE(CacheFreshness::readCachedReply(CourseViewCon::kCacheFile).has_value());

    auto cell = std::dynamic_pointer_cast<CourseCell>(
        catalogue->listTableView()->cellForRowAtIndexPath(platform::IndexPath{0, 3}));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->nameLabel()->text(), "分类3");
    EXPECT_EQ(cell->accessoryType(), platform::CellAccessoryType::DisclosureIndicator);
    EXPECT_EQ(cell->mainImg()->image()->source(), "home_list_default.png");
    EXPECT_EQ(catalogue->listTableView()->rectForRowAtIndexPath(platform::IndexPath{0, 1}).height(), 85);
}

TEST_F(CatalogueTest, AppearingWithin300SecondsSendsNothingAndLaterRefreshes) {
    service.reply(kPage1, pagedReply(1, false, 0, 4, "分类"));
    openCatalogue();
    firstPage();
    advance(299);
    catalogue->viewWillAppear(false);
    EXPECT_FALSE(catalogue->reloading());
    advance(2);
    catalogue->viewWillAppear(false);
    EXPECT_TRUE(catalogue->reloading());
    advance(2.0);
    EXPECT_TRUE(waitForRequests(kPage1, 2));
}

TEST_F(CatalogueTest, ARestartShowsTheStoredFirstPageWithoutARequest) {
    CacheFreshness::writeCachedReply(CourseViewCon::kCacheFile, pagedReply(1, true, 0, 10, "分类").dump());
    CacheFreshness::markRefreshed(CourseViewCon::kRefreshTimeKey);
    openCatalogue();
    EXPECT_EQ(catalogue->dataList().size(), 10U);
    EXPECT_FALSE(catalogue->reloading());
    advance(5);
    EXPECT_EQ(service.count("mode=3"), 0U);
}

TEST_F(CatalogueTest, LaterPagesAppendWithoutTouchingTheCacheAndTheFooterFollowsHasNext) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "分类"));
    service.reply(kPage2, pagedReply(2, false, 10, 3, "分类"));
    openCatalogue();
    firstPage();
    const auto stored = CacheFreshness::readCachedReply(CourseViewCon::kCacheFile);
    const auto moment = platform::UserDefaults::standard().stringForKey(CourseViewCon::kRefreshTimeKey);
    advance(10);
    loadMore(kPage2, 0);
    EXPECT_EQ(catalogue->dataList().size(), 13U);
    EXPECT_EQ(catalogue->dataList()[12]["title"], "分类12");
    EXPECT_EQ(catalogue->nowPage(), 2);
    EXPECT_FALSE(footerOf(*catalogue->listTableView())) << "hasNext false removes the footer";
    EXPECT_EQ(CacheFreshness::readCachedReply(CourseViewCon::kCacheFile), stored);
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey(CourseViewCon::kRefreshTimeKey), moment);
}

TEST_F(CatalogueTest, AFailedLoadMoreAsksForTheSamePageAgain) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "分类"));
    service.reply(kPage2, pagedReply(2, true, 10, 10, "分类"));
    openCatalogue();
    firstPage();
    refuseConnections();
    auto footer = footerOf(*catalogue->listTableView());
    footer->button()->sendActionsForControlEvents(platform::TouchUpInside);
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_EQ(catalogue->nowPage(), 1);
    EXPECT_FALSE(footer->indicator()->isAnimating());
    EXPECT_EQ(catalogue->dataList().size(), 10U);

    acceptConnections();
    loadMore(kPage2, 0);
    EXPECT_EQ(catalogue->nowPage(), 2);
    EXPECT_EQ(catalogue->dataList().size(), 20U);
}

TEST_F(CatalogueTest, AFailedReplyToALaterPageAlsoStepsTheCounterBack) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "分类"));
    service.reply(kPage2, Value{{"result", "1"}, {"nowPage", "2"}});
    openCatalogue();
    firstPage();
    loadMore(kPage2, 0);
    EXPECT_EQ(catalogue->nowPage(), 1);
    loadMore(kPage2, 1);
    EXPECT_EQ(service.count("mode=3&nowPage=3"), 0U);
}

TEST_F(CatalogueTest, TappingLoadMoreWhileAPageIsOnItsWaySendsNothingAndKeepsTheCounter) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "分类"));
    service.reply(kPage2, pagedReply(2, true, 10, 10, "分类"));
    openCatalogue();
    firstPage();
    service.hold(kPage2);
    auto footer = footerOf(*catalogue->listTableView());
    footer->button()->sendActionsForControlEvents(platform::TouchUpInside);
    ASSERT_TRUE(waitForRequests(kPage2, 1));
    footer->button()->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_EQ(catalogue->nowPage(), 2);
    service.release();
    ASSERT_TRUE(pump([&] { return catalogue->dataList().size() == 20; }));
    EXPECT_EQ(service.count("mode=3&nowPage=3"), 0U);
    EXPECT_EQ(catalogue->nowPage(), 2);
}

TEST_F(CatalogueTest, AFailedFirstPageAdvancesTheMomentButKeepsTheStoredPage) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "分类"));
    openCatalogue();
    firstPage();
    service.reply(kPage1, Value{{"result", "1"}, {"nowPage", "1"}});
    advance(301);
    catalogue->viewWillAppear(false);
    advance(2.0);
    ASSERT_TRUE(waitForRequests(kPage1, 2));
    ASSERT_TRUE(pump([&] { return !catalogue->dataRequest()->running(); }));
    EXPECT_EQ(catalogue->dataList().size(), 10U);
    EXPECT_EQ(CacheFreshness::readCachedReply(CourseViewCon::kCacheFile)->find("\"result\":\"1\""),
              std::string::npos);
    EXPECT_NE(CacheFreshness::readCachedReply(CourseViewCon::kCacheFile)->find("\"result\":\"0\""),
              std::string::npos);
    EXPECT_FALSE(CacheFreshness::needsRefresh(CourseViewCon::kRefreshTimeKey));
}

TEST_F(CatalogueTest, ABodyThatIsNotJsonIsNeitherShownNorStored) {
    service.replyRaw(kPage1, "not json");
    openCatalogue();
    firstPage();
    EXPECT_EQ(catalogue->dataList().size(), 0U);
    EXPECT_FALSE(CacheFreshness::readCachedReply(CourseViewCon::kCacheFile).has_value());
    EXPECT_TRUE(CacheFreshness::needsRefresh(CourseViewCon::kRefreshTimeKey));
}

TEST_F(CatalogueTest, ARefreshWhoseFirstPageFindsTheChannelBusyIsSentWhenItFrees) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "分类"));
    service.reply(kPage2, pagedReply(2, true, 10, 10, "分类"));
    openCatalogue();
    firstPage();
    service.hold(kPage2);
    footerOf(*catalogue->listTableView())->button()->sendActionsForControlEvents(platform::TouchUpInside);
    ASSERT_TRUE(waitForRequests(kPage2, 1));
    // The stored page is old; the clock itself stays, so the held request cannot time out.
    platform::UserDefaults::standard().setObject("2000-01-01 00:00:00", CourseViewCon::kRefreshTimeKey);
    catalogue->viewWillAppear(false);
    advance(2.0);
    EXPECT_EQ(service.count(kPage1), 1U) << "the channel is busy";
    service.release();
    ASSERT_TRUE(waitForRequests(kPage1, 2));
    ASSERT_TRUE(
        pump([&] { return !catalogue->dataRequest()->running() && catalogue->dataList().size() == 10; }));
    EXPECT_EQ(catalogue->nowPage(), 1);
}

TEST_F(CatalogueTest, OpeningACategoryPushesItsCourseListWithTitleAndId) {
    Value reply = pagedReply(1, false, 0, 3, "分类");
    reply["dataList"][2]["id"] = 17;
    CacheFreshness::writeCachedReply(CourseViewCon::kCacheFile, reply.dump());
    CacheFreshness::markRefreshed(CourseViewCon::kRefreshTimeKey);
    openCatalogue();
    catalogue->didSelectRowAtIndexPath(*catalogue->listTableView(), platform::IndexPath{0, 2});
    auto list = std::dynamic_pointer_cast<CourseListViewCon>(nav->topViewController());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->_topTitle(), "分类2");
    EXPECT_EQ(list->_courseCateID(), "17");
    EXPECT_TRUE(list->hidesBottomBarWhenPushed());
}

class CourseListTest : public BrowseTest {
protected:
    std::shared_ptr<CourseListViewCon> openCategory(const std::string& id) {
        show(std::make_shared<platform::ViewController>("Root"));
        list = std::make_shared<CourseListViewCon>("CourseListViewCon");
        list->set_topTitle("税务");
        list->set_courseCateID(id);
        nav->pushViewController(list, false);
        settle();
        return list;
    }

    // Category 3 shows its first page; "load more" asks for page 2, whose answer waits, and a
    // refresh starts meanwhile.
    void refreshWhileLoadMoreWaits() {
        service.reply("mode=5&id=3&nowPage=1", pagedReply(1, true, 0, 10, "课程"));
        service.reply("mode=5&id=3&nowPage=2", pagedReply(2, true, 10, 10, "课程"));
        openCategory("3");
        advance(2.0);
        ASSERT_TRUE(pump([&] { return list->dataList().size() == 10 && !list->reloading(); }));
        service.hold("mode=5&id=3&nowPage=2");
        footerOf(*list->listTableView())->button()->sendActionsForControlEvents(platform::TouchUpInside);
        ASSERT_TRUE(waitForRequests("mode=5&id=3&nowPage=2", 1));
        list->refreshData(nullptr);
        advance(2.0);
    }

    std::shared_ptr<CourseListViewCon> list;
};

TEST_F(CourseListTest, OpeningAsksForPageOneAndTheHeaderStaysOpenUntilTheReply) {
    service.reply("mode=5&id=17&nowPage=1", pagedReply(1, true, 0, 10, "课程"));
    service.hold("mode=5&id=17&nowPage=1");
    openCategory("17");
    EXPECT_TRUE(list->reloading());
    advance(2.0);
    ASSERT_TRUE(waitForRequests("mode=5", 1));
    EXPECT_EQ(service.lastBody("mode=5"), "mode=5&id=17&nowPage=1&pageSize=10");
    advance(5.0);
    EXPECT_TRUE(list->reloading());
    EXPECT_EQ(list->refreshHeaderView()->state(), RefreshTableHeaderView::kLoading);
    service.release();
    ASSERT_TRUE(pump([&] { return !list->reloading(); }));
    EXPECT_EQ(list->refreshHeaderView()->state(), RefreshTableHeaderView::kNormal);
    EXPECT_EQ(list->listTableView()->contentInset().top, 0);
    EXPECT_EQ(list->dataList().size(), 10U);
    EXPECT_TRUE(footerOf(*list->listTableView()));
}

TEST_F(CourseListTest, AFailedFirstPageClosesTheHeader) {
    refuseConnections();
    openCategory("17");
    advance(2.0);
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_FALSE(list->reloading());
    EXPECT_EQ(list->refreshHeaderView()->state(), RefreshTableHeaderView::kNormal);
}

TEST_F(CourseListTest, ARefreshDuringLoadMoreDoesNotLeaveTheHeaderLoading) {
    ASSERT_NO_FATAL_FAILURE(refreshWhileLoadMoreWaits());
    EXPECT_TRUE(list->reloading());
    EXPECT_EQ(service.count("mode=5&id=3&nowPage=1"), 1U);

    service.release();
    ASSERT_TRUE(waitForRequests("mode=5&id=3&nowPage=1", 2));
    ASSERT_TRUE(pump([&] { return !list->reloading(); }));
    EXPECT_EQ(list->nowPage(), 1);
    EXPECT_EQ(list->dataList().size(), 10U) << "page 1 replaces what page 2 added";
}

TEST_F(CourseListTest, AListClosedWhileItsFirstPageWaitsSendsItNotAndReportsNoError) {
    ASSERT_NO_FATAL_FAILURE(refreshWhileLoadMoreWaits());

    nav->popViewControllerAnimated(false);
    service.release();
    // Page 2's answer is handled first; the waiting page 1 is decided right after it.
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 20; }));
    EXPECT_EQ(service.count("mode=5&id=3&nowPage=1"), 1U);
    EXPECT_FALSE(list->reloading());
    EXPECT_FALSE(logged("加载出错")) << "nothing failed";
}

TEST_F(CourseListTest, AFailedLoadMoreAsksForTheSamePageAgain) {
    service.reply("mode=5&id=3&nowPage=1", pagedReply(1, true, 0, 10, "课程"));
    service.reply("mode=5&id=3&nowPage=2", pagedReply(2, false, 10, 2, "课程"));
    openCategory("3");
    advance(2.0);
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 10 && !list->reloading(); }));
    refuseConnections();
    footerOf(*list->listTableView())->button()->sendActionsForControlEvents(platform::TouchUpInside);
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_EQ(list->nowPage(), 1);
    acceptConnections();
    footerOf(*list->listTableView())->button()->sendActionsForControlEvents(platform::TouchUpInside);
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 12; }));
    EXPECT_EQ(service.count("mode=5&id=3&nowPage=2"), 1U);
    EXPECT_EQ(service.count("mode=5&id=3&nowPage=3"), 0U);
    EXPECT_FALSE(footerOf(*list->listTableView()));
}

TEST_F(CourseListTest, RowsShowTitlePictureAndSummaryAndANullSummaryIsEmpty) {
    Value reply = pagedReply(1, false, 0, 2, "课程");
    reply["dataList"][1]["info"] = nullptr;
    service.reply("mode=5&id=3&nowPage=1", reply);
    openCategory("3");
    advance(2.0);
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 2; }));
    list->listTableView()->layoutIfNeeded();
    auto first = std::dynamic_pointer_cast<CourseImgCell>(
        list->listTableView()->cellForRowAtIndexPath(platform::IndexPath{0, 0}));
    auto second = std::dynamic_pointer_cast<CourseImgCell>(
        list->listTableView()->cellForRowAtIndexPath(platform::IndexPath{0, 1}));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->nameLabel()->text(), "课程0");
    EXPECT_EQ(first->introLabel()->text(), "summary 0");
    EXPECT_EQ(first->mainImg()->image()->source(), "home_list_default.png");
    EXPECT_EQ(first->accessoryType(), platform::CellAccessoryType::DisclosureIndicator);
    EXPECT_EQ(second->introLabel()->text(), "");
}

TEST_F(CourseListTest, ACourseOpensItsDetailAndComingBackSendsNothing) {
    service.reply("mode=5&id=3&nowPage=1", pagedReply(1, false, 0, 3, "课程"));
    openCategory("3");
    advance(2.0);
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 3 && !list->reloading(); }));
    list->didSelectRowAtIndexPath(*list->listTableView(), platform::IndexPath{0, 1});
    auto detail = std::dynamic_pointer_cast<CourseDetailViewCon>(nav->topViewController());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->detailData(), list->dataList()[1]);
    advance(1.0);
    nav->popViewControllerAnimated(false);
    advance(5.0);
    EXPECT_EQ(service.count("mode=5"), 1U);

    list->back(nullptr);
    advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 1U);
}

TEST(CourseImgCellTest, KeepsTheDeleteButtonInFrontAndTheBackgroundAtTheCorner) {
    auto cell = CourseImgCell::create();
    cell->setFrame(platform::Rect::make(0, 0, 320, 85));
    auto background = platform::View::create(platform::Rect::make(7, 9, 320, 85));
    cell->setBackgroundView(background);
    cell->layoutSubviews();
    EXPECT_EQ(background->frame().origin, (platform::Point{0, 0}));
    EXPECT_EQ(cell->backgroundColor(), platform::Color::clear());
}

}  // namespace
}  // namespace qelvo::test
