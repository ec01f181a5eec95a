#include "components/PageLoader.h"
#include "platform/foundation/Json.h"

#include "components/LoadMoreFooter.h"
#include "service/RequestHelp.h"
#include "service/ServiceReply.h"
#include "tests/support/BrowseFixture.h"

#include <gtest/gtest.h>

namespace qelvo::test {
namespace {

// What a screen would be: the loader's owner, which hears every answer.
struct ListOwner : platform::TableViewDataSource {
    int numberOfRowsInSection(platform::TableView& /*table*/, int /*section*/) override {
        return static_cast<int>(pages.items().size());
    }
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& /*table*/,
                                                                   const platform::IndexPath& /*path*/) override {
        return platform::View::create<platform::TableViewCell>();
    }

    PageLoader pages;
    std::vector<std::string> heard;
    bool wanted = true;
};

class PageLoaderTest : public BrowseTest {
protected:
    void SetUp() override {
        BrowseTest::SetUp();
        table = platform::View::create<platform::TableView>(platform::Rect::make(0, 0, 320, 400));
        owner = std::make_shared<ListOwner>();
        ListOwner* raw = owner.get();
        PageLoader::Handlers handlers;
        handlers.bodyForPage = [](int page) { return "mode=3&nowPage=" + std::to_string(page); };
        handlers.replied = [raw](int page, const std::string& body) {
            raw->heard.push_back("replied " + std::to_string(page));
            if (auto reply = ServiceReply::parse(body)) {
                raw->pages.showReply(*reply);
            }
        };
        handlers.failed = [raw](int page) { raw->heard.push_back("failed " + std::to_string(page)); };
        handlers.stillWanted = [raw] { return raw->wanted; };
        handlers.dropped = [raw](int page) { raw->heard.push_back("dropped " + std::to_string(page)); };
        owner->pages.attach(owner, table, std::move(handlers));
        table->setRowHeight(85);
        table->setDataSource(owner);
        for (int page = 1; page <= 3; ++page) {
            service.reply(body(page), pagedReply(page, page < 3, (page - 1) * 10, 10, "row "));
        }
    }
    void TearDown() override {
        service.release();
        owner.reset();
        BrowseTest::TearDown();
    }
    static std::string body(int page) { return "mode=3&nowPage=" + std::to_string(page); }
    bool idle() {
        return pump([&] { return !owner->pages.busy(); });
    }
    // Page 1 shown, and page 2 asked for and held on its way.
    void holdPageTwoOnItsWay() {
        owner->pages.loadFirstPage();
        ASSERT_TRUE(idle());
        service.hold(body(2));
        owner->pages.loadMore();
        ASSERT_TRUE(waitForRequests(body(2), 1));
    }
    bool footerShown() {
        return std::dynamic_pointer_cast<LoadMoreFooter>(table->tableFooterView()) != nullptr;
    }

    std::shared_ptr<platform::TableView> table;
    std::shared_ptr<ListOwner> owner;
};

TEST_F(PageLoaderTest, PagesFollowOneAnotherUntilTheLastAndTheFooterGoesWithIt) {
    owner->pages.loadFirstPage();
    ASSERT_TRUE(idle());
    EXPECT_EQ(owner->pages.items().size(), 10U);
    EXPECT_TRUE(footerShown());

    owner->pages.loadMore();
    ASSERT_TRUE(idle());
    owner->pages.loadMore();
    ASSERT_TRUE(idle());
    EXPECT_EQ(owner->pages.nowPage(), 3);
    EXPECT_EQ(owner->pages.items().size(), 30U);
    EXPECT_FALSE(footerShown()) << "no next page, no footer";
    EXPECT_EQ(service.bodies(), (std::vector<std::string>{body(1), body(2), body(3)}));

    // A refresh starts over from page 1.
    owner->pages.loadFirstPage();
    ASSERT_TRUE(idle());
    EXPECT_EQ(owner->pages.items().size(), 10U);
    EXPECT_EQ(owner->pages.nowPage(), 1);
}

TEST_F(PageLoaderTest, TheLastPageTakesTheFootersPlaceWithoutMovingTheList) {
    owner->pages.loadFirstPage();
    ASSERT_TRUE(idle());
    owner->pages.loadMore();
    ASSERT_TRUE(idle());
    // Read to the end: the footer is the last thing on the screen.
    table->setContentOffset(table->maximumContentOffset());
    const double endOfPage2 = table->contentOffset().y;
    ASSERT_EQ(endOfPage2, 20 * 85 + LoadMoreFooter::kHeight - 400);

    owner->pages.loadMore();
    ASSERT_TRUE(idle());
    ASSERT_FALSE(footerShown());
    EXPECT_EQ(table->contentOffset().y, endOfPage2) << "the list stays where the reader left it";
    const auto rows = table->indexPathsForVisibleRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().row, 20) << "the first new row shows where the footer was";
}

TEST_F(PageLoaderTest, ARefreshWhileAPageIsOnItsWayIsSentWhenThatPageEnds) {
    ASSERT_NO_FATAL_FAILURE(holdPageTwoOnItsWay());

    owner->pages.loadMore();  // dropped: page 2 is still on its way
    owner->pages.loadFirstPage();
    pump([] { return false; }, 0.2);
    EXPECT_EQ(service.count(body(1)), 1U) << "nothing leaves while the transport is busy";
    EXPECT_EQ(service.count(body(3)), 0U);

    service.release();
    ASSERT_TRUE(waitForRequests(body(1), 2));
    ASSERT_TRUE(idle());
    EXPECT_EQ(owner->heard, (std::vector<std::string>{"replied 1", "replied 2", "replied 1"}));
    EXPECT_EQ(owner->pages.nowPage(), 1);
    EXPECT_EQ(owner->pages.items().size(), 10U);
}

TEST_F(PageLoaderTest, AWaitingRefreshNoLongerWantedIsDroppedNotSentAndNotAFailure) {
    ASSERT_NO_FATAL_FAILURE(holdPageTwoOnItsWay());
    owner->pages.loadFirstPage();
    owner->wanted = false;

    service.release();
    ASSERT_TRUE(idle());
    pump([] { return false; }, 0.2);
    EXPECT_EQ(service.count(body(1)), 1U);
    EXPECT_EQ(owner->heard, (std::vector<std::string>{"replied 1", "replied 2", "dropped 1"}));
}

TEST_F(PageLoaderTest, AFailedLoadMoreAsksForTheSamePageAgain) {
    owner->pages.loadFirstPage();
    ASSERT_TRUE(idle());

    // The service refuses the page...
    service.reply(body(2), platform::Value{{"result", "1"}});
    owner->pages.loadMore();
    ASSERT_TRUE(idle());
    EXPECT_EQ(owner->pages.nowPage(), 1);
    EXPECT_EQ(owner->pages.items().size(), 10U);

    // ...or cannot be reached.
    refuseConnections();
    owner->pages.loadMore();
    ASSERT_TRUE(idle());
    EXPECT_EQ(owner->pages.nowPage(), 1);
    EXPECT_EQ(owner->heard.back(), "failed 2");

    acceptConnections();
    service.reply(body(2), pagedReply(2, true, 10, 10, "row "));
    owner->pages.loadMore();
    ASSERT_TRUE(idle());
    EXPECT_EQ(owner->pages.nowPage(), 2);
    EXPECT_EQ(owner->pages.items().size(), 20U);
    EXPECT_EQ(service.count(body(2)), 2U) << "the refused page was asked for again, not skipped";
}

TEST_F(PageLoaderTest, ARequestKeepsItsOwnerUntilTheAnswerHasBeenHandled) {
    service.hold(body(1));
    owner->pages.loadFirstPage();
    ASSERT_TRUE(waitForRequests(body(1), 1));
    std::weak_ptr<ListOwner> watched = owner;
    owner.reset();
    EXPECT_FALSE(watched.expired()) << "the request in flight holds the owner";

    service.release();
    ASSERT_TRUE(pump([&] { return watched.expired(); }));
}

}  // namespace
}  // namespace qelvo::test
