// The news screen: the channel list from the cache and from the service, its
// freshness, and the channel switcher's tabs and pages built from it.

#include "platform/foundation/Json.h"
#include "tests/browse_news/NewsFixture.h"

#include "components/SlideSwitchView.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "screens/NewsListViewCon.h"
#include "screens/NewsViewCon.h"
#include "storage/CacheFreshness.h"

namespace qelvo::test {
namespace {

using platform::Value;

const char* const kChannels = "mode=4&categoryId=&nowPage=1&pageSize=10";

Value channels(std::initializer_list<std::pair<const char*, const char*>> list) {
    Value array = Value::array();
    for (const auto& [id, title] : list) {
        array.push_back(Value{{"id", id}, {"title", title}});
    }
    return array;
}

class NewsScreenTest : public NewsSearchTest {
protected:
    std::shared_ptr<NewsViewCon> openNews() {
        news = std::make_shared<NewsViewCon>("NewsViewCon");
        show(news);
        return news;
    }

    std::size_t channelReplies() const {
        std::size_t n = 0;
        for (const auto& line : logLines()) {
            n += line.rfind("请求资讯栏目返回数据;", 0) == 0 ? 1 : 0;
        }
        return n;
    }

    // Sends the channel request by an appearance and waits until its reply is handled.
    void appearAndWaitForChannels() {
        std::size_t handled = channelReplies();
        news->viewWillAppear(false);
        ASSERT_TRUE(pump([&] { return channelReplies() > handled; }));
    }

    std::shared_ptr<NewsListViewCon> page(std::size_t index) const {
        const auto& pages = news->slideSwitchView()->viewArray();
        return index < pages.size() ? std::dynamic_pointer_cast<NewsListViewCon>(pages[index]) : nullptr;
    }

    static std::string cachePath() { return CacheFreshness::cacheFilePath(NewsViewCon::kCategoryFile); }

    std::shared_ptr<NewsViewCon> news;
};

TEST_F(NewsScreenTest, TheScreenHasItsTitleAndTheSwitchersTitleColours) {
    CacheFreshness::markRefreshed("newsCateArray");
    openNews();
    EXPECT_EQ(news->navFrameStyle(), 3);
    EXPECT_EQ(news->slideSwitchView()->tabItemNormalColor(), platform::Color::white());
    EXPECT_EQ(news->slideSwitchView()->tabItemSelectedColor(), platform::Color::rgb255(61, 159, 210));
    EXPECT_EQ(news->slideSwitchView()->slideSwitchViewDelegate(), news);
    EXPECT_TRUE(logged("缓存数组个数:0"));
    EXPECT_TRUE(news->slideSwitchView()->viewArray().empty())
        << "no cache: no tabs until the service answers";
}

TEST_F(NewsScreenTest, CachedChannelsBuildTheTabsAndTheSelectedChannelRefreshes) {
    ASSERT_TRUE(
        platform::PropertyList::writeAtomically(channels({{"12", "要闻"}, {"13", "财税"}}), cachePath()));
    CacheFreshness::markRefreshed("newsCateArray");
    openNews();
    EXPECT_TRUE(logged("缓存数组个数:2"));
    ASSERT_EQ(news->slideSwitchView()->viewArray().size(), 2U);
    EXPECT_EQ(news->slideSwitchView()->nameArray(), (std::vector<std::string>{"要闻", "财税"}));
    auto first = page(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->nibName(), "NewsListViewCon");
    EXPECT_EQ(first->title(), "要闻");
    EXPECT_EQ(first->newsCateID(), "12");
    EXPECT_EQ(first->m_parentViewCon(), news);
    EXPECT_TRUE(first->isViewLoaded());
    EXPECT_TRUE(logged("刷新资讯列表数据: 12")) << "the selected channel is asked to refresh";
    EXPECT_TRUE(first->reloading());
    EXPECT_FALSE(page(1)->reloading());
    advance(2.0);
    ASSERT_TRUE(waitForRequests("mode=4&categoryId=12&nowPage=1", 1));
    EXPECT_EQ(service.count(kChannels), 0U) << "a fresh channel list is not asked for";
}

TEST_F(NewsScreenTest, AMissingMomentAsksForChannelsAndAReplyRebuildsTheTabsAndIsStored) {
    service.reply(kChannels, Value{{"result", "0"},
                                   {"category", channels({{"1", "头条"}, {"2", "政策"}, {"3", "实务"}})}});
    openNews();
    ASSERT_TRUE(waitForRequests(kChannels, 1));
    ASSERT_TRUE(pump([&] { return channelReplies() == 1; }));
    ASSERT_EQ(news->slideSwitchView()->viewArray().size(), 3U);
    EXPECT_EQ(page(2)->newsCateID(), "3");
    EXPECT_EQ(news->categoryList().size(), 3U);
    EXPECT_TRUE(platform::UserDefaults::standard().stringForKey("newsCateArray").has_value());
    auto stored = platform::PropertyList::read(cachePath());
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, channels({{"1", "头条"}, {"2", "政策"}, {"3", "实务"}}));
    EXPECT_TRUE(page(0)->reloading()) << "the first channel has no moment and refreshes at once";
    EXPECT_TRUE(logged(std::string("postStr is: ").append(kChannels)));
}

TEST_F(NewsScreenTest, AppearingWithin300SecondsSendsNoChannelRequestAndLaterOneThatRebuilds) {
    service.reply(kChannels, Value{{"result", "0"}, {"category", channels({{"1", "头条"}})}});
    openNews();
    ASSERT_TRUE(pump([&] { return channelReplies() == 1; }));
    auto before = page(0);
    advance(299);
    news->viewWillAppear(false);
    advance(1);
    EXPECT_EQ(service.count(kChannels), 1U);
    advance(1);
    appearAndWaitForChannels();
    EXPECT_EQ(service.count(kChannels), 2U);
    ASSERT_TRUE(page(0));
    EXPECT_NE(page(0), before) << "a rebuild makes new channel pages";
}

TEST_F(NewsScreenTest, AReplyWithoutChannelsOrNotJsonLeavesTheTabsAndTheStore) {
    ASSERT_TRUE(
        platform::PropertyList::writeAtomically(channels({{"12", "要闻"}, {"13", "财税"}}), cachePath()));
    service.reply(kChannels, Value{{"result", "0"}, {"category", Value::array()}});
    openNews();
    ASSERT_TRUE(pump([&] { return channelReplies() == 1; }));
    EXPECT_EQ(news->slideSwitchView()->viewArray().size(), 2U);
    EXPECT_TRUE(news->categoryList().empty()) << "the list in memory is emptied";
    EXPECT_FALSE(platform::UserDefaults::standard().stringForKey("newsCateArray").has_value());
    EXPECT_EQ(platform::PropertyList::read(cachePath())->size(), 2U);
    EXPECT_EQ(news->titleOfIndex(0), "") << "titles beyond the list are empty";

    service.replyRaw(kChannels, "<html>busy</html>");
    appearAndWaitForChannels();
    EXPECT_EQ(news->slideSwitchView()->viewArray().size(), 2U);
    EXPECT_EQ(platform::PropertyList::read(cachePath())->size(), 2U);
}

TEST_F(NewsScreenTest, AFailedChannelRequestOnlyLogsAndTheNextAppearanceTriesAgain) {
    ASSERT_TRUE(platform::PropertyList::writeAtomically(channels({{"12", "要闻"}}), cachePath()));
    refuseConnections();
    openNews();
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_EQ(news->slideSwitchView()->viewArray().size(), 1U);
    EXPECT_FALSE(platform::UserDefaults::standard().stringForKey("newsCateArray").has_value());
    acceptConnections();
    service.reply(kChannels,
                  Value{{"result", "0"}, {"category", channels({{"12", "要闻"}, {"14", "新规"}})}});
    appearAndWaitForChannels();
    EXPECT_EQ(news->slideSwitchView()->viewArray().size(), 2U);
}

TEST_F(NewsScreenTest, ARebuildWithFewerChannelsRefreshesAChannelThatExists) {
    service.reply(kChannels, Value{{"result", "0"},
                                   {"category", channels({{"1", "头条"}, {"2", "政策"}, {"3", "实务"}})}});
    openNews();
    ASSERT_TRUE(pump([&] { return channelReplies() == 1; }));
    auto third = news->slideSwitchView()->titleButton(2);
    ASSERT_TRUE(third);
    third->sendActionsForControlEvents(platform::TouchUpInside);
    advance(0.3);
    ASSERT_EQ(news->slideSwitchView()->userSelectedChannelID(), 102);
    EXPECT_TRUE(logged("刷新资讯列表数据: 3"));

    service.reply(kChannels, Value{{"result", "0"}, {"category", channels({{"9", "唯一"}})}});
    advance(301);
    appearAndWaitForChannels();
    ASSERT_EQ(news->slideSwitchView()->viewArray().size(), 1U);
    EXPECT_EQ(news->slideSwitchView()->userSelectedChannelID(), 100) << "the selection is brought into range";
    EXPECT_TRUE(logged("刷新资讯列表数据: 9"));
    EXPECT_TRUE(page(0)->reloading());
}

TEST_F(NewsScreenTest, DelegateAnswersBeyondTheListAreEmptyAndHarmless) {
    ASSERT_TRUE(platform::PropertyList::writeAtomically(channels({{"12", "要闻"}}), cachePath()));
    CacheFreshness::markRefreshed("newsCateArray");
    openNews();
    SlideSwitchView& view = *news->slideSwitchView();
    EXPECT_EQ(news->numberOfTab(view), 1U);
    EXPECT_EQ(news->titleOfIndex(0), "要闻");
    EXPECT_EQ(news->titleOfIndex(1), "");
    EXPECT_EQ(news->viewOfTab(view, 1), nullptr);
    std::size_t refreshes = logLines().size();
    news->didselectTab(view, 5);
    EXPECT_EQ(logLines().size(), refreshes) << "no page at that index: nothing is asked";
}

TEST_F(NewsScreenTest, ANumericChannelIdNamesItsFilesByItsDecimalText) {
    Value list = Value::array();
    list.push_back(Value{{"id", 5}, {"title", "数字"}});
    ASSERT_TRUE(platform::PropertyList::writeAtomically(list, cachePath()));
    CacheFreshness::markRefreshed("newsCateArray");
    openNews();
    ASSERT_TRUE(page(0));
    EXPECT_EQ(page(0)->newsCateID(), "5");
    EXPECT_EQ(page(0)->cacheFileName(), "newsCateID5.plist");
}

}  // namespace
}  // namespace qelvo::test
