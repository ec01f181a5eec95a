// The results of one search: paging, the empty result that closes the screen, the
// failures, and the course a row opens.

#include "platform/foundation/Json.h"
#include "tests/browse_news/NewsFixture.h"

#include "components/LoadMoreFooter.h"
#include "components/ProgressHUD.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseImgCell.h"
#include "screens/SearchResultViewCon.h"

namespace qelvo::test {
namespace {

using platform::Value;

const char* const kPage1 = "mode=7&searchKey=%E7%A8%8E&nowPage=1&pageSize=10";
const char* const kPage2 = "mode=7&searchKey=%E7%A8%8E&nowPage=2&pageSize=10";
const char* const kPage3 = "mode=7&searchKey=%E7%A8%8E&nowPage=3&pageSize=10";

std::shared_ptr<LoadMoreFooter> footerOf(platform::TableView& list) {
    return std::dynamic_pointer_cast<LoadMoreFooter>(list.tableFooterView());
}

class SearchResultTest : public NewsSearchTest {
protected:
    // The results of "税" pushed on a stack whose root stands in for the search screen.
    void openResults(const std::string& searchId = "") {
        show(std::make_shared<platform::ViewController>("SearchViewCon"));
        screen = std::make_shared<SearchResultViewCon>("SearchResultViewCon");
        screen->setKeyWords("税");
        screen->setSearchTitle("税");
        screen->setSearchId(searchId);
        screen->setHidesBottomBarWhenPushed(true);
        nav->pushViewController(screen, false);
        settle();
    }

    std::size_t replies() const {
        std::size_t n = 0;
        for (const auto& line : logLines()) {
            n += line.rfind("请求课程某个栏目列表返回数据;", 0) == 0 ? 1 : 0;
        }
        return n;
    }

    void waitForReplies(std::size_t n) {
        ASSERT_TRUE(pump([&] { return replies() >= n; }));
    }

    void tapLoadMore() {
        auto footer = footerOf(*screen->listTableV());
        ASSERT_TRUE(footer);
        footer->button()->sendActionsForControlEvents(platform::TouchUpInside);
    }

    std::shared_ptr<SearchResultViewCon> screen;
};

TEST_F(SearchResultTest, TwentyFiveCoursesShowInPagesOfTenWithTheFooterUntilTheLastPage) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "课程"));
    service.reply(kPage2, pagedReply(2, true, 10, 10, "课程"));
    service.reply(kPage3, pagedReply(3, false, 20, 5, "课程"));
    openResults();
    EXPECT_EQ(screen->navFrameStyle(), 1) << "the default back button";
    EXPECT_EQ(screen->progressHUD()->labelText(), "加载中...");
    EXPECT_EQ(screen->progressHUD()->superview(), screen->listTableV().get());
    EXPECT_EQ(ProgressHUD::visibleLabelText(), std::optional<std::string>("加载中..."));
    waitForReplies(1);
    EXPECT_EQ(screen->listTableV()->numberOfRowsInSection(0), 10);
    EXPECT_TRUE(footerOf(*screen->listTableV()));
    tapLoadMore();
    EXPECT_TRUE(footerOf(*screen->listTableV())->indicator()->isAnimating());
    waitForReplies(2);
    EXPECT_EQ(screen->listTableV()->numberOfRowsInSection(0), 20);
    EXPECT_TRUE(footerOf(*screen->listTableV()));
    tapLoadMore();
    waitForReplies(3);
    EXPECT_EQ(screen->listTableV()->numberOfRowsInSection(0), 25);
    EXPECT_FALSE(footerOf(*screen->listTableV()));
    EXPECT_EQ(screen->nowPage(), 3);
    EXPECT_EQ(service.bodies(), (std::vector<std::string>{kPage1, kPage2, kPage3}));
    advance(1);
    EXPECT_FALSE(ProgressHUD::visibleLabelText().has_value());
}

TEST_F(SearchResultTest, ACategorySearchSendsItsSearchId) {
    openResults("5");
    ASSERT_TRUE(waitForRequests("mode=7", 1));
    EXPECT_EQ(service.bodies().front(), "mode=7&searchKey=%E7%A8%8E&searchId=5&nowPage=1&pageSize=10");
}

TEST_F(SearchResultTest, NothingFoundShowsTheToastAndTheScreenClosesItselfAfterEightTenths) {
    service.reply(kPage1, pagedReply(1, false, 0, 0, "课程"));
    openResults();
    waitForReplies(1);
    EXPECT_EQ(toasts(), (std::vector<std::string>{"没有搜到相关内容!"}));
    advance(0.7);
    EXPECT_EQ(nav->topViewController(), screen);
    advance(0.1);
    nav->finishTransition();
    EXPECT_EQ(nav->viewControllers().size(), 1U);
}

TEST_F(SearchResultTest, AFailedResultOnlyHidesTheOverlayAndTheScreenStays) {
    service.reply(kPage1, Value{{"result", "1"}, {"nowPage", "1"}, {"dataList", Value::array()}});
    openResults();
    waitForReplies(1);
    advance(1);
    EXPECT_FALSE(ProgressHUD::visibleLabelText().has_value());
    EXPECT_TRUE(toasts().empty());
    EXPECT_EQ(nav->topViewController(), screen);
    EXPECT_EQ(screen->listTableV()->numberOfRowsInSection(0), 0);
}

TEST_F(SearchResultTest, ANetworkFailureShowsCheckTheNetworkAndKeepsTheRows) {
    refuseConnections();
    openResults();
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_EQ(toasts(), (std::vector<std::string>{"请检查网络!"}));
    advance(1);
    EXPECT_FALSE(ProgressHUD::visibleLabelText().has_value());
    EXPECT_EQ(nav->topViewController(), screen);
}

TEST_F(SearchResultTest, AFailedLoadMoreAsksForTheSamePageAtTheNextTap) {
    service.reply(kPage1, pagedReply(1, true, 0, 10, "课程"));
    service.reply(kPage2, pagedReply(2, false, 10, 3, "课程"));
    openResults();
    waitForReplies(1);
    refuseConnections();
    tapLoadMore();
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_FALSE(footerOf(*screen->listTableV())->indicator()->isAnimating());
    EXPECT_EQ(screen->listTableV()->numberOfRowsInSection(0), 10);
    EXPECT_EQ(screen->nowPage(), 1);
    acceptConnections();
    tapLoadMore();
    waitForReplies(2);
    EXPECT_EQ(screen->listTableV()->numberOfRowsInSection(0), 13);
    EXPECT_EQ(service.count(kPage3), 0U);
}

TEST_F(SearchResultTest, RowsAreCourseCellsAndATapOpensTheCourse) {
    service.reply(kPage1, pagedReply(1, false, 0, 3, "课程"));
    openResults();
    waitForReplies(1);
    auto cell = std::dynamic_pointer_cast<CourseImgCell>(
        screen->listTableV()->cellForRowAtIndexPath(platform::IndexPath{0, 2}));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->nameLabel()->text(), "课程2");
    EXPECT_EQ(cell->accessoryType(), platform::CellAccessoryType::DisclosureIndicator);
    EXPECT_EQ(screen->listTableV()->rectForRowAtIndexPath(platform::IndexPath{0, 1}).height(), 85);

    screen->didSelectRowAtIndexPath(*screen->listTableV(), platform::IndexPath{0, 2});
    nav->finishTransition();
    auto detail = std::dynamic_pointer_cast<CourseDetailViewCon>(nav->topViewController());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->detailData(), screen->resultList()[2]);
    EXPECT_FALSE(screen->listTableV()->indexPathForSelectedRow().has_value());
}

TEST_F(SearchResultTest, TheBackButtonPopsTheScreen) {
    openResults();
    screen->back(nullptr);
    nav->finishTransition();
    EXPECT_EQ(nav->viewControllers().size(), 1U);
}

}  // namespace
}  // namespace qelvo::test
