// The home page: its refresh cycle and freshness rule, how it shows replies and
// failures, its tiles and their codes, and the screens its taps open.

#include "platform/foundation/Json.h"
#include "tests/support/BrowseFixture.h"

#include "components/RefreshTableHeaderView.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/PageControl.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseListViewCon.h"
#include "screens/FlickTabButton.h"
#include "screens/MainPageCell.h"
#include "screens/MainViewCon.h"
#include "screens/WebViewController.h"
#include "service/RequestHelp.h"
#include "storage/CacheFreshness.h"

namespace qelvo::test {
namespace {

using platform::Value;

Value course(const std::string& id) {
    return Value{{"id", id},
                 {"title", "课程" + id},
                 {"image", ""},
                 {"url", "http://127.0.0.1:1/c"},
                 {"detailTitle", "详情" + id}};
}

Value section(const std::string& id, const std::string& title, int courses, const char* hasMore = "true") {
    Value list = Value::array();
    for (int i = 0; i < courses; ++i) {
        list.push_back(course(id + "-" + std::to_string(i)));
    }
    Value result{{"id", id}, {"title", title}, {"subList", list}};
    if (hasMore) {
        result["hasMore"] = hasMore;
    }
    return result;
}

Value homeReply(int sections = 3, int ads = 2) {
    Value data = Value::array();
    for (int r = 0; r < sections; ++r) {
        data.push_back(section(std::to_string(r + 1), "栏目" + std::to_string(r), 5));
    }
    Value adList = Value::array();
    for (int i = 0; i < ads; ++i) {
        adList.push_back(Value{{"id", 40 + i},
                               {"image", ""},
                               {"url", "http://127.0.0.1:1/ad" + std::to_string(i) + ".aspx"},
                               {"detailTitle", "广告" + std::to_string(i)}});
    }
    return Value{{"result", "0"}, {"adList", adList}, {"dataList", data}};
}

std::string cachePath() {
    return CacheFreshness::cacheFilePath(MainViewCon::kCacheFile);
}

class HomePageTest : public BrowseTest {
protected:
    std::shared_ptr<MainViewCon> openHome() {
        home = std::make_shared<MainViewCon>("MainViewCon");
        show(home);
        return home;
    }

    // Runs a whole refresh cycle: the header closes after 2.0 s, then the reply comes.
    void completeRefresh(std::size_t requestsBefore) {
        advance(2.0);
        ASSERT_TRUE(waitForRequests("mode=2", requestsBefore + 1));
        ASSERT_TRUE(pump([&] { return !home->dataRequest()->running(); }));
    }

    std::shared_ptr<MainPageCell> cellAt(int row) {
        home->listTableView()->layoutIfNeeded();
        return std::dynamic_pointer_cast<MainPageCell>(
            home->listTableView()->cellForRowAtIndexPath(platform::IndexPath{0, row}));
    }

    static std::vector<std::shared_ptr<FlickTabButton>> tilesOf(const MainPageCell& cell) {
        std::vector<std::shared_ptr<FlickTabButton>> tiles;
        for (const auto& view : cell.contentScroll()->subviews()) {
            if (auto tile = std::dynamic_pointer_cast<FlickTabButton>(view)) {
                tiles.push_back(tile);
            }
        }
        return tiles;
    }

    std::shared_ptr<MainViewCon> home;
};

TEST_F(HomePageTest, FirstStartOpensTheHeaderAndSendsTheRequestWhenItClosesTwoSecondsLater) {
    service.reply("mode=2", homeReply());
    openHome();
    EXPECT_EQ(home->dataList().size(), 0U);
    EXPECT_TRUE(home->reloading());
    EXPECT_EQ(home->refreshHeaderView()->state(), RefreshTableHeaderView::kLoading);
    EXPECT_DOUBLE_EQ(home->listTableView()->contentOffset().y, -60);

    advance(1.9);
    EXPECT_TRUE(home->reloading());
    EXPECT_EQ(service.count("mode=2"), 0U);

    advance(0.1);
    EXPECT_FALSE(home->reloading());
    EXPECT_EQ(home->refreshHeaderView()->state(), RefreshTableHeaderView::kNormal);
    EXPECT_EQ(home->listTableView()->contentInset().top, 0);
    ASSERT_TRUE(waitForRequests("mode=2", 1));
    EXPECT_EQ(service.lastBody("mode=2"), "mode=2");
    EXPECT_TRUE(logged("postStr is: mode=2"));

    ASSERT_TRUE(pump([&] { return home->dataList().size() == 3; }));
    EXPECT_EQ(home->listTableView()->numberOfRowsInSection(0), 3);
    EXPECT_TRUE(platform::FileSystem::exists(cachePath()));
    EXPECT_TRUE(platform::UserDefaults::standard().stringForKey(MainViewCon::kRefreshTimeKey).has_value());
    EXPECT_TRUE(logged("首页获取数据 status is: 0"));
    EXPECT_TRUE(logged("_dataList is: 3"));
}

TEST_F(HomePageTest, FreshnessKeepsTheStoredReplyFor300SecondsAndFetchesAfterward) {
    CacheFreshness::writeCachedReply(MainViewCon::kCacheFile, homeReply(2).dump());
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    // Shown from the cache without a request.
    EXPECT_EQ(home->dataList().size(), 2U);
    EXPECT_FALSE(home->reloading());

    advance(299);
    home->isRefreshData();
    EXPECT_FALSE(home->reloading());
    advance(2);
    home->isRefreshData();
    EXPECT_TRUE(home->reloading());
    advance(2.0);
    EXPECT_TRUE(waitForRequests("mode=2", 1));
}

TEST_F(HomePageTest, AMissingOrUnreadableMomentFetches) {
    CacheFreshness::writeCachedReply(MainViewCon::kCacheFile, homeReply(2).dump());
    openHome();
    EXPECT_TRUE(home->reloading()) << "no moment stored";

    auto& defaults = platform::UserDefaults::standard();
    defaults.setObject("not a date", MainViewCon::kRefreshTimeKey);
    advance(2.0);
    ASSERT_TRUE(pump([&] { return service.count("mode=2") == 1 && !home->dataRequest()->running(); }));
    defaults.setObject("not a date", MainViewCon::kRefreshTimeKey);
    home->isRefreshData();
    EXPECT_TRUE(home->reloading());
}

TEST_F(HomePageTest, AppearingWhileARefreshRunsStartsNoSecondCycle) {
    openHome();
    advance(1.0);
    home->isRefreshData();
    advance(1.0);
    ASSERT_TRUE(waitForRequests("mode=2", 1));
    advance(5.0);
    settle();
    EXPECT_EQ(service.count("mode=2"), 1U);
}

TEST_F(HomePageTest, FailedRepliesKeepTheRowsAndTheCachedPageButAdvanceTheMoment) {
    service.reply("mode=2", homeReply(3));
    openHome();
    completeRefresh(0);
    ASSERT_EQ(home->dataList().size(), 3U);
    const auto good = CacheFreshness::readCachedReply(MainViewCon::kCacheFile);

    int refresh = 1;
    for (const std::string& body : {Value{{"result", "1"}, {"message", "busy"}, {"dataList", Value::array()}}.dump(),
                                    std::string("<html>oops</html>"), std::string()}) {
        SCOPED_TRACE(body);
        service.replyRaw("mode=2", body);
        advance(301);
        home->isRefreshData();
        completeRefresh(refresh++);
        EXPECT_EQ(home->dataList().size(), 3U);
        EXPECT_EQ(home->listTableView()->numberOfRowsInSection(0), 3);
        EXPECT_EQ(CacheFreshness::readCachedReply(MainViewCon::kCacheFile), good) << "the good page stays";
        EXPECT_FALSE(CacheFreshness::needsRefresh(MainViewCon::kRefreshTimeKey));
    }
    EXPECT_TRUE(logged("首页获取数据 status is: (null)"));

    // A restart within 300 seconds shows the last good page, without a request.
    auto restarted = std::make_shared<MainViewCon>("MainViewCon");
    home = restarted;
    show(restarted);
    EXPECT_EQ(restarted->dataList().size(), 3U);
    EXPECT_FALSE(restarted->reloading());
}

TEST_F(HomePageTest, ATransportFailureOnlyLogsAndLeavesCacheAndMoment) {
    refuseConnections();
    openHome();
    advance(2.0);
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_FALSE(platform::FileSystem::exists(cachePath()));
    EXPECT_TRUE(CacheFreshness::needsRefresh(MainViewCon::kRefreshTimeKey));
    EXPECT_FALSE(home->reloading());
    home->isRefreshData();
    EXPECT_TRUE(home->reloading()) << "the next appearance asks again";
}

TEST_F(HomePageTest, TheStripShowsOnePagePerAdvertisementAndGoesWithAnEmptyList) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    home->createUIData(homeReply(2, 3).dump());
    auto strip = home->listTableView()->tableHeaderView();
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->frame().size, (platform::Size{320, 155}));
    auto scroller = std::dynamic_pointer_cast<platform::ScrollView>(strip->viewWithTag(70000));
    ASSERT_TRUE(scroller);
    EXPECT_EQ(scroller->contentSize(), (platform::Size{960, 155}));
    EXPECT_TRUE(scroller->isPagingEnabled());
    EXPECT_FALSE(scroller->bounces());
    auto pages = std::dynamic_pointer_cast<platform::PageControl>(strip->viewWithTag(80000));
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->numberOfPages(), 3);
    EXPECT_EQ(pages->frame(), platform::Rect::make(230, 130, 80, 20));
    for (int i = 0; i < 3; ++i) {
        auto button = strip->viewWithTag(10000 + i);
        ASSERT_TRUE(button) << i;
        EXPECT_EQ(button->frame(), platform::Rect::make(320.0 * i, 0, 320, 155));
    }

    scroller->setContentOffset(platform::Point{640, 0});
    home->scrollViewDidEndDecelerating(*scroller);
    EXPECT_EQ(pages->currentPage(), 2);

    home->createUIData(homeReply(2, 0).dump());
    EXPECT_FALSE(home->listTableView()->tableHeaderView());
    EXPECT_EQ(home->listTableView()->numberOfRowsInSection(0), 2);
}

TEST_F(HomePageTest, TilesCarryRowTimesThousandPlusIndexAndTheRowWidthFollowsTheCourses) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    Value reply = homeReply(0, 0);
    reply["dataList"].push_back(section("1", "两门", 2));
    reply["dataList"].push_back(section("2", "没有更多", 5, "false"));
    reply["dataList"].push_back(section("3", "无标记", 0, nullptr));
    reply["dataList"].push_back(section("4", "五门", 5));
    home->createUIData(reply.dump());

    auto first = cellAt(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->contentScroll()->contentSize().width, 320);
    EXPECT_EQ(first->nameLabel()->text(), "两门");
    EXPECT_FALSE(first->moreBtn()->isHidden());
    EXPECT_FALSE(first->showAllImg()->isHidden());
    EXPECT_EQ(first->moreBtn()->tag(), 20000);

    auto second = cellAt(1);
    EXPECT_EQ(second->contentScroll()->contentSize().width, 560);
    EXPECT_TRUE(second->moreBtn()->isHidden());
    EXPECT_TRUE(second->showAllImg()->isHidden());
    auto tiles = tilesOf(*second);
    ASSERT_EQ(tiles.size(), 5U);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        EXPECT_EQ(tiles[i]->tag(), static_cast<int>(1000 + i));
        EXPECT_EQ(tiles[i]->frame(), platform::Rect::make(10 + 110.0 * static_cast<double>(i), 0, 100, 100));
    }
    EXPECT_EQ(tiles[4]->text(), "课程2-4");
    ASSERT_TRUE(tiles[4]->imageView()->image());
    EXPECT_EQ(tiles[4]->imageView()->image()->source(), "home_list_default.png");

    auto third = cellAt(2);
    EXPECT_TRUE(third->moreBtn()->isHidden()) << "no hasMore hides the button";
    EXPECT_EQ(third->contentScroll()->contentSize(), (platform::Size{320, 100}));

    auto fourth = cellAt(3);
    EXPECT_EQ(fourth->moreBtn()->tag(), 20003);
    tilesOf(*fourth)[4]->sendActionsForControlEvents(platform::TouchUpInside);
    auto detail = std::dynamic_pointer_cast<CourseDetailViewCon>(nav->topViewController());
    ASSERT_TRUE(detail) << "the tile with code 3004 opens its course";
    EXPECT_EQ(detail->detailData(), reply["dataList"][3]["subList"][4]);
    EXPECT_TRUE(detail->hidesBottomBarWhenPushed());
}

TEST_F(HomePageTest, AReusedCellDropsTheTilesItShowedBefore) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    auto cell = MainPageCell::create();
    cell->setCellDatta(section("1", "五门", 5), home, platform::IndexPath{0, 0});
    cell->setCellDatta(section("2", "两门", 2), home, platform::IndexPath{0, 7});
    auto tiles = tilesOf(*cell);
    ASSERT_EQ(tiles.size(), 2U);
    EXPECT_EQ(tiles[0]->tag(), 7000);
    EXPECT_EQ(tiles[1]->text(), "课程2-1");
}

TEST_F(HomePageTest, AReusedCellShowsItsNewSectionFromTheFirstTile) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    auto cell = MainPageCell::create();
    cell->setCellDatta(section("1", "八门", 8), home, platform::IndexPath{0, 0});
    cell->contentScroll()->setContentOffset(platform::Point{400, 0});
    ASSERT_EQ(cell->contentScroll()->contentOffset().x, 400);
    cell->setCellDatta(section("2", "另外八门", 8), home, platform::IndexPath{0, 6});
    EXPECT_EQ(cell->contentScroll()->contentOffset().x, 0) << "not where the previous section was left";
}

TEST_F(HomePageTest, SectionsOfAThousandCoursesOrMoreOpenTheTappedCourse) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    Value reply = homeReply(0, 0);
    reply["dataList"].push_back(section("long", "长栏目", 1005));
    reply["dataList"].push_back(section("short", "短栏目", 3));
    home->createUIData(reply.dump());

    auto longTiles = tilesOf(*cellAt(0));
    ASSERT_EQ(longTiles.size(), 1005U);
    longTiles[1002]->sendActionsForControlEvents(platform::TouchUpInside);
    auto detail = std::dynamic_pointer_cast<CourseDetailViewCon>(nav->topViewController());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->detailData()["id"], "long-1002") << "not course 2 of the next row";
    nav->popViewControllerAnimated(false);

    auto shortTiles = tilesOf(*cellAt(1));
    EXPECT_EQ(shortTiles[2]->tag(), 1002) << "shorter sections keep their codes";
    shortTiles[2]->sendActionsForControlEvents(platform::TouchUpInside);
    detail = std::dynamic_pointer_cast<CourseDetailViewCon>(nav->topViewController());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->detailData()["id"], "short-2");
}

TEST_F(HomePageTest, TapsOutsideTheListsAreIgnored) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    home->createUIData(homeReply(2, 1).dump());
    home->contentImageClicked(5000);  // no row 5
    home->contentImageClicked(1009);  // row 1 has 5 courses
    home->contentImageClickedAt(0, 5);
    platform::Control stray;
    stray.setTag(20002);
    home->MoreBtnClicked(stray);
    stray.setTag(10001);
    home->topAdClicked(stray);
    EXPECT_EQ(nav->viewControllers().size(), 1U);
}

TEST_F(HomePageTest, TheMoreButtonOpensTheCategoryOnceEvenFromAReusedCell) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    Value reply = homeReply(2, 0);
    reply["dataList"][1]["id"] = 17;
    home->createUIData(reply.dump());
    home->listTableView()->reloadData();
    home->listTableView()->reloadData();
    auto cell = cellAt(1);
    cell->moreBtn()->sendActionsForControlEvents(platform::TouchUpInside);
    ASSERT_EQ(nav->viewControllers().size(), 2U);
    auto list = std::dynamic_pointer_cast<CourseListViewCon>(nav->topViewController());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->_topTitle(), "栏目1");
    EXPECT_EQ(list->_courseCateID(), "17");
    EXPECT_TRUE(list->hidesBottomBarWhenPushed());
}

TEST_F(HomePageTest, AnAdvertisementOpensItsPageWithDocIdAndItsTitleWhenItIsText) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    Value reply = homeReply(1, 2);
    reply["adList"][1]["detailTitle"] = nullptr;
    home->createUIData(reply.dump());
    auto strip = home->listTableView()->tableHeaderView();

    std::dynamic_pointer_cast<platform::Control>(strip->viewWithTag(10000))
        ->sendActionsForControlEvents(platform::TouchUpInside);
    auto page = std::dynamic_pointer_cast<WebViewController>(nav->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->_webUrl(), "http://127.0.0.1:1/ad0.aspx?docId=40&from=iOS");
    EXPECT_EQ(page->navTitle(), std::optional<std::string>("广告0"));
    EXPECT_TRUE(page->hidesBottomBarWhenPushed());
    nav->popViewControllerAnimated(false);

    std::dynamic_pointer_cast<platform::Control>(strip->viewWithTag(10001))
        ->sendActionsForControlEvents(platform::TouchUpInside);
    page = std::dynamic_pointer_cast<WebViewController>(nav->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->_webUrl(), "http://127.0.0.1:1/ad1.aspx?docId=41&from=iOS");
    EXPECT_FALSE(page->navTitle().has_value());
}

TEST_F(HomePageTest, APullReleasedFarEnoughStartsTheSameCycle) {
    CacheFreshness::markRefreshed(MainViewCon::kRefreshTimeKey);
    openHome();
    home->createUIData(homeReply(3, 0).dump());
    auto list = home->listTableView();
    const platform::Point start = list->frameInWindow().center();
    ASSERT_TRUE(list->beginDragging(start));
    list->dragTo(platform::Point{start.x, start.y + 80});
    EXPECT_EQ(home->refreshHeaderView()->state(), RefreshTableHeaderView::kPulling);
    list->endDragging(platform::Point{});
    EXPECT_TRUE(home->reloading());
    advance(2.0);
    EXPECT_TRUE(waitForRequests("mode=2", 1));
}

}  // namespace
}  // namespace qelvo::test
