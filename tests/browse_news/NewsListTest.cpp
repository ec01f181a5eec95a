// One news channel's list: the cached first page and its freshness, the refresh
// cycle, the headline strip, paging and the articles it opens.

#include "platform/foundation/Json.h"
#include "tests/browse_news/NewsFixture.h"

#include "components/LoadMoreFooter.h"
#include "components/RefreshTableHeaderView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/ScrollView.h"
#include "screens/NewsCell.h"
#include "screens/NewsListViewCon.h"
#include "screens/WebViewController.h"
#include "storage/CacheFreshness.h"

namespace qelvo::test {
namespace {

using platform::Value;

const char* const kPage1 = "mode=4&categoryId=12&nowPage=1&pageSize=10";
const char* const kPage2 = "mode=4&categoryId=12&nowPage=2&pageSize=10";
const char* const kPage3 = "mode=4&categoryId=12&nowPage=3&pageSize=10";

std::string numbered(const std::string& prefix, int i) {
    return prefix + std::to_string(i);
}

Value headlines(int count) {
    Value head = Value::array();
    for (int i = 0; i < count; ++i) {
        head.push_back(Value{{"id", numbered("h", i)},
                             {"title", numbered("头条", i)},
                             {"image", ""},
                             {"url", "http://127.0.0.1:1/news"},
                             {"detailTitle", numbered("头条详情", i)}});
    }
    return head;
}

std::shared_ptr<LoadMoreFooter> footerOf(platform::TableView& list) {
    return std::dynamic_pointer_cast<LoadMoreFooter>(list.tableFooterView());
}

class NewsListTest : public NewsSearchTest {
protected:
    // The channel's page inside a stand-in of the news screen, as the switcher puts it.
    std::shared_ptr<NewsListViewCon> openChannel() {
        parent = std::make_shared<platform::ViewController>("NewsViewCon");
        show(parent);
        list = std::make_shared<NewsListViewCon>("NewsListViewCon");
        list->setTitle("要闻");
        list->setNewsCateID("12");
        list->setM_parentViewCon(parent);
        list->view()->setFrame(platform::Rect::make(0, 109, 320, 410));
        parent->view()->addSubview(list->view());
        settle();
        return list;
    }

    // Replies the list has handled so far (each is logged once).
    std::size_t replies() const {
        std::size_t n = 0;
        for (const auto& line : logLines()) {
            n += line.rfind("请求资讯返回数据12 ;", 0) == 0 ? 1 : 0;
        }
        return n;
    }

    // A refresh started now, through to its page-1 reply.
    void refreshThroughReply(std::size_t before) {
        std::size_t handled = replies();
        list->doRefresh();
        ASSERT_TRUE(list->reloading());
        advance(2.0);
        ASSERT_TRUE(waitForRequests(kPage1, before + 1));
        ASSERT_TRUE(pump([&] { return replies() > handled; }));
    }

    // Taps "加载更多" and waits for the reply to be handled.
    void tapLoadMore(const std::string& body, std::size_t before) {
        auto footer = footerOf(*list->listTableView());
        ASSERT_TRUE(footer);
        std::size_t handled = replies();
        footer->button()->sendActionsForControlEvents(platform::TouchUpInside);
        ASSERT_TRUE(waitForRequests(body, before + 1));
        ASSERT_TRUE(pump([&] { return replies() > handled; }));
    }

    std::shared_ptr<platform::ViewController> parent;
    std::shared_ptr<NewsListViewCon> list;
};

Value newsPage(int nowPage, bool hasNext, int first, int count) {
    return NewsSearchTest::pagedReply(nowPage, hasNext, first, count, "资讯");
}

// --- cache and freshness -------------------------------------------------------------

TEST_F(NewsListTest, ChannelFilesAreNamedAfterTheChannelsPreferenceKey) {
    openChannel();
    EXPECT_EQ(list->preferenceKey(), "newsCateID12");
    EXPECT_EQ(list->cacheFileName(), "newsCateID12.plist");
    EXPECT_TRUE(logged("111"));
    ASSERT_TRUE(list->refreshHeaderView());
    EXPECT_EQ(list->refreshHeaderView()->superview(), list->listTableView().get());
    EXPECT_EQ(list->refreshHeaderView()->frame().maxY(), 0);
}

TEST_F(NewsListTest, LoadingShowsTheCachedFirstPageWithoutARequest) {
    Value cached = newsPage(1, true, 0, 10);
    cached["head"] = headlines(2);
    CacheFreshness::writeCachedReply("newsCateID12.plist", cached.dump());
    openChannel();
    EXPECT_EQ(list->dataList().size(), 10U);
    EXPECT_EQ(list->adList().size(), 2U);
    EXPECT_TRUE(list->listTableView()->tableHeaderView());
    EXPECT_TRUE(footerOf(*list->listTableView()));
    advance(5);
    EXPECT_EQ(service.count("mode=4"), 0U) << "loading alone asks for nothing";
}

TEST_F(NewsListTest, AMissingMomentStartsARefreshThatClosesAfterTwoSecondsThenAsksForPageOne) {
    service.reply(kPage1, newsPage(1, true, 0, 10));
    openChannel();
    list->doRefresh();
    EXPECT_TRUE(logged("刷新资讯列表数据: 12"));
    EXPECT_TRUE(list->reloading());
    EXPECT_EQ(list->refreshHeaderView()->state(), RefreshTableHeaderView::kLoading);
    EXPECT_EQ(list->listTableView()->contentOffset().y, -60);
    advance(1.9);
    EXPECT_EQ(service.count("mode=4"), 0U);
    list->doRefresh();  // a second start while one runs changes nothing
    advance(0.1);
    EXPECT_FALSE(list->reloading()) << "the header closes before the request leaves";
    EXPECT_EQ(list->refreshHeaderView()->state(), RefreshTableHeaderView::kNormal);
    ASSERT_TRUE(waitForRequests(kPage1, 1));
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 10; }));
    EXPECT_EQ(service.count("mode=4"), 1U);
    EXPECT_TRUE(logged(std::string("postStr is: ").append(kPage1)));
}

TEST_F(NewsListTest, APageOneReplyIsStoredWithItsMomentAndKeeps299SecondsButNot301) {
    service.reply(kPage1, newsPage(1, false, 0, 3));
    openChannel();
    refreshThroughReply(0);
    ASSERT_TRUE(pump([&] { return CacheFreshness::readCachedReply("newsCateID12.plist").has_value(); }));
    EXPECT_EQ(Value::parse(*CacheFreshness::readCachedReply("newsCateID12.plist")), newsPage(1, false, 0, 3));
    EXPECT_TRUE(platform::UserDefaults::standard().stringForKey("newsCateID12").has_value());

    advance(299);
    list->doRefresh();
    EXPECT_FALSE(list->reloading()) << "299 seconds keep the cache";
    advance(2);
    list->doRefresh();
    EXPECT_TRUE(list->reloading()) << "301 seconds fetch again";
}

TEST_F(NewsListTest, AFailedReplyWithNowPageOneAdvancesTheMomentButKeepsThePageAndTheCache) {
    service.reply(kPage1, newsPage(1, true, 0, 10));
    openChannel();
    refreshThroughReply(0);
    ASSERT_EQ(list->dataList().size(), 10U);
    const auto good = CacheFreshness::readCachedReply("newsCateID12.plist");
    platform::UserDefaults::standard().setObject("2000-01-01 00:00:00", "newsCateID12");
    service.reply(kPage1, Value{{"result", "1"}, {"nowPage", "1"}, {"message", "busy"}});
    advance(400);
    refreshThroughReply(1);
    ASSERT_TRUE(pump([&] { return platform::UserDefaults::standard().stringForKey("newsCateID12") != "2000-01-01 00:00:00"; }));
    EXPECT_EQ(CacheFreshness::readCachedReply("newsCateID12.plist"), good);
    EXPECT_EQ(list->dataList().size(), 10U);
    EXPECT_TRUE(footerOf(*list->listTableView()));
}

TEST_F(NewsListTest, AFailedRequestLeavesTheMomentSoTheNextSelectionTriesAgain) {
    openChannel();
    refuseConnections();
    list->doRefresh();
    advance(2.0);
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_FALSE(platform::UserDefaults::standard().stringForKey("newsCateID12").has_value());
    list->doRefresh();
    EXPECT_TRUE(list->reloading());
}

// --- replies -------------------------------------------------------------------------

TEST_F(NewsListTest, HeadAsAnEmptyArrayRemovesTheStripAndAMissingHeadKeepsIt) {
    Value first = newsPage(1, false, 0, 3);
    first["head"] = headlines(3);
    service.reply(kPage1, first);
    openChannel();
    refreshThroughReply(0);
    ASSERT_TRUE(list->listTableView()->tableHeaderView());

    Value withoutHead = newsPage(1, false, 0, 4);
    service.reply(kPage1, withoutHead);
    advance(400);
    refreshThroughReply(1);
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 4; }));
    EXPECT_TRUE(list->listTableView()->tableHeaderView()) << "no \"head\" leaves the strip";
    EXPECT_EQ(list->adList().size(), 3U);

    Value notArray = newsPage(1, false, 0, 5);
    notArray["head"] = "none";
    service.reply(kPage1, notArray);
    advance(400);
    refreshThroughReply(2);
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 5; }));
    EXPECT_TRUE(list->listTableView()->tableHeaderView()) << "a \"head\" that is no array leaves it too";

    Value emptyHead = newsPage(1, false, 0, 2);
    emptyHead["head"] = Value::array();
    service.reply(kPage1, emptyHead);
    advance(400);
    refreshThroughReply(3);
    ASSERT_TRUE(pump([&] { return list->dataList().size() == 2; }));
    EXPECT_FALSE(list->listTableView()->tableHeaderView()) << "an empty \"head\" removes the strip";
}

TEST_F(NewsListTest, RowsShowTitleAndSummaryAndANullSummaryLeavesTheLineEmpty) {
    Value reply = newsPage(1, false, 0, 2);
    reply["dataList"][1]["info"] = nullptr;
    service.reply(kPage1, reply);
    openChannel();
    refreshThroughReply(0);
    auto cell0 = std::dynamic_pointer_cast<NewsCell>(
        list->listTableView()->cellForRowAtIndexPath(platform::IndexPath{0, 0}));
    auto cell1 = std::dynamic_pointer_cast<NewsCell>(
        list->listTableView()->cellForRowAtIndexPath(platform::IndexPath{0, 1}));
    ASSERT_TRUE(cell0 && cell1);
    EXPECT_EQ(cell0->reuseIdentifier(), "NewsCell");
    EXPECT_EQ(cell0->nameLabel()->text(), "资讯0");
    EXPECT_EQ(cell0->introLabel()->text(), "summary 0");
    EXPECT_EQ(cell1->nameLabel()->text(), "资讯1");
    EXPECT_EQ(cell1->introLabel()->text(), "");
    EXPECT_EQ(list->listTableView()->rectForRowAtIndexPath(platform::IndexPath{0, 1}).height(), 80);
}

TEST_F(NewsListTest, PagesAppendUntilHasNextIsNoLongerTrueAndLaterPagesAreNotStored) {
    service.reply(kPage1, newsPage(1, true, 0, 10));
    service.reply(kPage2, newsPage(2, true, 10, 10));
    service.reply(kPage3, newsPage(3, false, 20, 5));
    openChannel();
    refreshThroughReply(0);
    ASSERT_TRUE(pump([&] { return CacheFreshness::readCachedReply("newsCateID12.plist").has_value(); }));
    const auto stored = CacheFreshness::readCachedReply("newsCateID12.plist");
    tapLoadMore(kPage2, 0);
    EXPECT_EQ(list->dataList().size(), 20U);
    EXPECT_EQ(list->nowPage(), 2);
    tapLoadMore(kPage3, 0);
    EXPECT_EQ(list->dataList().size(), 25U);
    EXPECT_EQ(list->dataList()[24]["title"], "资讯24");
    EXPECT_FALSE(footerOf(*list->listTableView())) << "\"hasNext\" false on page 3 removes the footer";
    EXPECT_EQ(CacheFreshness::readCachedReply("newsCateID12.plist"), stored);
}

TEST_F(NewsListTest, AFailedLoadMoreAsksForTheSamePageAtTheNextTap) {
    service.reply(kPage1, newsPage(1, true, 0, 10));
    service.reply(kPage2, newsPage(2, false, 10, 4));
    openChannel();
    refreshThroughReply(0);
    refuseConnections();
    auto footer = footerOf(*list->listTableView());
    ASSERT_TRUE(footer);
    footer->button()->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_TRUE(footer->indicator()->isAnimating());
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_FALSE(footer->indicator()->isAnimating());
    EXPECT_EQ(list->dataList().size(), 10U) << "rows and footer stay";
    EXPECT_EQ(list->nowPage(), 1);
    acceptConnections();
    tapLoadMore(kPage2, 0);
    EXPECT_EQ(service.count(kPage3), 0U);
    EXPECT_EQ(list->dataList().size(), 14U);
}

// --- headline strip ------------------------------------------------------------------

TEST_F(NewsListTest, TheHeadlineStripHasTaggedPicturesButtonsCaptionsAndAPageControl) {
    Value reply = newsPage(1, false, 0, 2);
    reply["head"] = headlines(3);
    service.reply(kPage1, reply);
    openChannel();
    refreshThroughReply(0);
    auto strip = list->listTableView()->tableHeaderView();
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->frame().size, (platform::Size{320, 155}));
    auto scroller = std::dynamic_pointer_cast<platform::ScrollView>(strip->viewWithTag(70000));
    ASSERT_TRUE(scroller);
    EXPECT_TRUE(scroller->isPagingEnabled());
    EXPECT_FALSE(scroller->bounces());
    EXPECT_FALSE(scroller->showsHorizontalScrollIndicator());
    EXPECT_EQ(scroller->contentSize(), (platform::Size{960, 155}));
    for (int i = 0; i < 3; ++i) {
        auto button = std::dynamic_pointer_cast<platform::Button>(strip->viewWithTag(10000 + i));
        ASSERT_TRUE(button) << i;
        EXPECT_EQ(button->frame(), platform::Rect::make(320.0 * i, 0, 320, 155));
    }
    auto pages = std::dynamic_pointer_cast<platform::PageControl>(strip->viewWithTag(80000));
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->numberOfPages(), 3);
    EXPECT_EQ(pages->frame(), platform::Rect::make(250, 130, 50, 20));
    bool captioned = false;
    for (const auto& view : scroller->subviews()) {
        auto label = std::dynamic_pointer_cast<platform::Label>(view);
        if (label && label->text() == "头条2") {
            captioned = true;
            EXPECT_EQ(label->frame(), platform::Rect::make(648, 125, 250, 30));
        }
    }
    EXPECT_TRUE(captioned);
}

TEST_F(NewsListTest, ThePageControlFollowsTheHeadlineScrollerWhenItStops) {
    Value reply = newsPage(1, false, 0, 2);
    reply["head"] = headlines(3);
    service.reply(kPage1, reply);
    openChannel();
    refreshThroughReply(0);
    auto strip = list->listTableView()->tableHeaderView();
    auto scroller = std::dynamic_pointer_cast<platform::ScrollView>(strip->viewWithTag(70000));
    auto pages = std::dynamic_pointer_cast<platform::PageControl>(strip->viewWithTag(80000));
    ASSERT_TRUE(scroller && pages);
    platform::Rect inWindow = scroller->frameInWindow();
    double y = inWindow.midY();
    for (int expected = 1; expected <= 2; ++expected) {
        ASSERT_TRUE(scroller->beginDragging(platform::Point{300, y}));
        scroller->dragTo(platform::Point{200, y});
        scroller->dragTo(platform::Point{100, y});
        scroller->endDragging(platform::Point{-800, 0});
        advance(1.0);
        EXPECT_EQ(scroller->contentOffset().x, 320.0 * expected);
        EXPECT_EQ(pages->currentPage(), expected);
    }
    EXPECT_FALSE(list->reloading()) << "the headline scroller does not drive the refresh header";
}

TEST_F(NewsListTest, TappingARowOpensTheArticleOnTheNewsScreensStack) {
    Value reply = newsPage(1, false, 0, 2);
    reply["dataList"][1]["id"] = 77;
    reply["dataList"][1]["url"] = "http://127.0.0.1:1/wcm/qelvo/app/newsDetail.aspx";
    service.reply(kPage1, reply);
    openChannel();
    refreshThroughReply(0);
    list->listTableView()->selectRowAtIndexPath(platform::IndexPath{0, 1}, false,
                                                platform::TableViewScrollPosition::None);
    list->didSelectRowAtIndexPath(*list->listTableView(), platform::IndexPath{0, 1});
    EXPECT_FALSE(list->listTableView()->indexPathForSelectedRow().has_value());
    nav->finishTransition();
    auto web = std::dynamic_pointer_cast<WebViewController>(nav->topViewController());
    ASSERT_TRUE(web);
    EXPECT_EQ(web->nibName(), "WebViewController");
    EXPECT_EQ(web->_webUrl(), "http://127.0.0.1:1/wcm/qelvo/app/newsDetail.aspx?docId=77&from=iOS");
    EXPECT_EQ(web->navTitle(), std::optional<std::string>("detail 1"));
    EXPECT_TRUE(web->hidesBottomBarWhenPushed());
    EXPECT_TRUE(logged("url is: http://127.0.0.1:1/wcm/qelvo/app/newsDetail.aspx?docId=77&from=iOS"));
}

TEST_F(NewsListTest, AHeadlineButtonOpensItsArticleAndATagBeyondTheHeadlinesDoesNothing) {
    Value reply = newsPage(1, false, 0, 2);
    reply["head"] = headlines(2);
    reply["head"][1]["url"] = "http://x/a b";
    service.reply(kPage1, reply);
    openChannel();
    refreshThroughReply(0);
    platform::Button stray;
    stray.setTag(10002);
    list->topAdClicked(stray);
    EXPECT_EQ(nav->viewControllers().size(), 1U);

    auto button = std::dynamic_pointer_cast<platform::Button>(
        list->listTableView()->tableHeaderView()->viewWithTag(10001));
    ASSERT_TRUE(button);
    button->sendActionsForControlEvents(platform::TouchUpInside);
    nav->finishTransition();
    auto web = std::dynamic_pointer_cast<WebViewController>(nav->topViewController());
    ASSERT_TRUE(web);
    EXPECT_EQ(web->_webUrl(), "http://x/a b?docId=h1&from=iOS") << "nothing is escaped";
    EXPECT_EQ(web->navTitle(), std::optional<std::string>("头条详情1"));
}

}  // namespace
}  // namespace qelvo::test
