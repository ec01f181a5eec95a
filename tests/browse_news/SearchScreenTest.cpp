// The search screen: the emptiness test and the history of searches from the field,
// the history panel, and the suggested keys with their cache, freshness and grid.

#include "platform/foundation/Json.h"
#include "tests/browse_news/NewsFixture.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/SearchResultViewCon.h"
#include "screens/SearchViewCon.h"
#include "storage/CacheFreshness.h"
#include "storage/FileManagerUtil.h"

#include <algorithm>

namespace qelvo::test {
namespace {

using platform::Value;

Value keysReply(int count) {
    Value list = Value::array();
    for (int i = 0; i < count; ++i) {
        list.push_back(Value{{"title", std::string("键").append(std::to_string(i))},
                             {"type", "1"},
                             {"id", std::to_string(i)}});
    }
    return Value{{"result", "0"}, {"dataList", list}};
}

Value historyOf(std::initializer_list<const char*> titles) {
    Value array = Value::array();
    for (const char* title : titles) {
        array.push_back(Value{{"title", title}});
    }
    return array;
}

class SearchScreenTest : public NewsSearchTest {
protected:
    std::shared_ptr<SearchViewCon> openSearch(bool fresh = true) {
        if (fresh) {
            CacheFreshness::markRefreshed("SearchCateRefreshTime");
        }
        search = std::make_shared<SearchViewCon>("SearchViewCon");
        show(search);
        return search;
    }

    std::size_t keyReplies() const {
        std::size_t n = 0;
        for (const auto& line : logLines()) {
            n += line.rfind("backDic is: ", 0) == 0 ? 1 : 0;
        }
        return n;
    }

    // Requests sent so far whose body starts with `prefix` (each is logged as it leaves).
    std::size_t sent(const std::string& prefix) const {
        std::size_t n = 0;
        for (const auto& line : logLines()) {
            n += line.rfind("postStr is: " + prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }

    // Types into the field and taps "搜索".
    void searchFor(const std::string& text) {
        ASSERT_TRUE(search->searchText()->becomeFirstResponder());
        search->searchText()->typeText(text);
        search->searchButton()->sendActionsForControlEvents(platform::TouchUpInside);
        nav->finishTransition();
    }

    // Back from whatever the search opened.
    void popToSearch() {
        nav->popToRootViewControllerAnimated(false);
        settle();
    }

    std::shared_ptr<SearchResultViewCon> results() const {
        return std::dynamic_pointer_cast<SearchResultViewCon>(nav->topViewController());
    }

    std::vector<std::shared_ptr<platform::Button>> keyButtons() const {
        std::vector<std::shared_ptr<platform::Button>> buttons;
        for (const auto& view : search->keyArea()->subviews()) {
            auto button = std::dynamic_pointer_cast<platform::Button>(view);
            if (button && button->tag() >= 0 && button->currentBackgroundImage()) {
                buttons.push_back(button);
            }
        }
        return buttons;
    }

    std::shared_ptr<SearchViewCon> search;
};

// --- searching from the field ------------------------------------------------------

TEST_F(SearchScreenTest, TheScreenHasItsTitleFieldAndSearchButton) {
    openSearch();
    EXPECT_EQ(search->navFrameStyle(), 3);
    EXPECT_EQ(search->searchButton()->currentTitle(), "搜索");
    EXPECT_EQ(search->searchText()->delegate().lock(), search);
    EXPECT_TRUE(search->historyPanel()->isHidden());
    EXPECT_GE(search->searchText()->frame().minY(), 65) << "below the title bar";
}

TEST_F(SearchScreenTest, BlankTextAsksForContentAndTouchesNoHistory) {
    openSearch();
    for (const char* blank : {"", "   ", " \n\t ", "\u3000 "}) {
        search->searchText()->setText(blank);
        search->searchButton()->sendActionsForControlEvents(platform::TouchUpInside);
        EXPECT_EQ(toasts().back(), "请输入搜索内容!") << blank;
    }
    EXPECT_EQ(nav->viewControllers().size(), 1U);
    EXPECT_FALSE(FileManagerUtil::getHistorySearchArray().has_value());
}

TEST_F(SearchScreenTest, TextWithSpacesIsStoredAndSentAsTyped) {
    openSearch();
    searchFor(" 税务 ");
    EXPECT_FALSE(search->searchText()->isEditing()) << "the keyboard closes";
    EXPECT_EQ(FileManagerUtil::getHistorySearchArray(), historyOf({" 税务 "}));
    auto shown = results();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->nibName(), "SearchResultViewCon");
    EXPECT_EQ(shown->keyWords(), " 税务 ");
    EXPECT_EQ(shown->searchTitle(), " 税务 ");
    EXPECT_EQ(shown->searchId(), "");
    EXPECT_TRUE(shown->hidesBottomBarWhenPushed());
    ASSERT_TRUE(waitForRequests("mode=7", 1));
    EXPECT_EQ(service.lastBody("mode=7"), "mode=7&searchKey=+%E7%A8%8E%E5%8A%A1+&nowPage=1&pageSize=10");
}

TEST_F(SearchScreenTest, SearchingAgainMovesTheTextToTheTopInsteadOfRepeatingIt) {
    openSearch();
    for (const char* text : {"增值税", "个税", "增值税"}) {
        searchFor(text);
        popToSearch();
    }
    EXPECT_EQ(FileManagerUtil::getHistorySearchArray(), historyOf({"增值税", "个税"}));
    ASSERT_TRUE(search->searchText()->becomeFirstResponder());
    EXPECT_EQ(search->historyList()->numberOfRowsInSection(0), 2);
    auto top = search->historyList()->cellForRowAtIndexPath(platform::IndexPath{0, 0});
    ASSERT_TRUE(top);
    EXPECT_EQ(top->textLabel()->text(), "增值税");
    EXPECT_EQ(top->reuseIdentifier(), "HistoryCell");
    EXPECT_EQ(search->historyList()->rectForRowAtIndexPath(platform::IndexPath{0, 1}).height(), 40);
}

// --- the history panel -------------------------------------------------------------

TEST_F(SearchScreenTest, ThePanelShowsExactlyWhileTheFieldIsEditedAndReturnOnlyEndsEditing) {
    ASSERT_TRUE(FileManagerUtil::searchItem(Value{{"title", "会计"}}));
    openSearch();
    ASSERT_TRUE(search->searchText()->becomeFirstResponder());
    EXPECT_FALSE(search->historyPanel()->isHidden());
    EXPECT_EQ(search->historyArr(), historyOf({"会计"}));
    EXPECT_TRUE(logged("_history.count is: 1"));
    search->searchText()->typeText("会计");
    search->searchText()->pressReturn();
    EXPECT_FALSE(search->searchText()->isEditing());
    EXPECT_TRUE(search->historyPanel()->isHidden());
    EXPECT_EQ(nav->viewControllers().size(), 1U) << "return does not search";

    ASSERT_TRUE(search->searchText()->becomeFirstResponder());
    const auto& recognizers = search->keyArea()->gestureRecognizers();
    auto tap = std::find_if(recognizers.begin(), recognizers.end(), [](const auto& r) { return r->isTap(); });
    ASSERT_NE(tap, recognizers.end());
    search->tapGesture(**tap);
    EXPECT_FALSE(search->searchText()->isEditing()) << "a tap beside the keys closes the keyboard";
    EXPECT_TRUE(search->historyPanel()->isHidden());
}

TEST_F(SearchScreenTest, TappingAHistoryRowMovesItUpAndSearchesItWithoutCategory) {
    ASSERT_TRUE(FileManagerUtil::searchItem(Value{{"title", "审计"}}));
    ASSERT_TRUE(FileManagerUtil::searchItem(Value{{"title", "出口退税"}}));
    openSearch();
    ASSERT_TRUE(search->searchText()->becomeFirstResponder());
    search->didSelectRowAtIndexPath(*search->historyList(), platform::IndexPath{0, 1});
    nav->finishTransition();
    EXPECT_EQ(FileManagerUtil::getHistorySearchArray(), historyOf({"审计", "出口退税"}));
    auto shown = results();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->keyWords(), "审计");
    EXPECT_EQ(shown->searchId(), "");
    ASSERT_TRUE(waitForRequests("mode=7", 1));
    EXPECT_EQ(service.lastBody("mode=7"), "mode=7&searchKey=%E5%AE%A1%E8%AE%A1&nowPage=1&pageSize=10");
}

TEST_F(SearchScreenTest, ClearingTheHistoryRemovesTheRowsAndTheFooter) {
    openSearch();
    ASSERT_TRUE(search->searchText()->becomeFirstResponder());
    EXPECT_FALSE(search->historyList()->tableFooterView()) << "no history, no footer";
    search->searchText()->resignFirstResponder();
    searchFor("印花税");
    popToSearch();
    ASSERT_TRUE(search->searchText()->becomeFirstResponder());
    auto footer = search->historyList()->tableFooterView();
    ASSERT_TRUE(footer);
    EXPECT_EQ(footer->frame().size, (platform::Size{320, 40}));
    ASSERT_EQ(footer->subviews().size(), 1U);
    auto clear = std::dynamic_pointer_cast<platform::Button>(footer->subviews().front());
    ASSERT_TRUE(clear);
    EXPECT_EQ(clear->currentTitle(), "清空历史");
    EXPECT_EQ(clear->frame(), platform::Rect::make(120, 2, 80, 30));
    clear->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_EQ(search->historyList()->numberOfRowsInSection(0), 0);
    EXPECT_FALSE(search->historyList()->tableFooterView());
    EXPECT_FALSE(FileManagerUtil::getHistorySearchArray().has_value());
}

// --- suggested keys ----------------------------------------------------------------

TEST_F(SearchScreenTest, SevenKeysFillRowsOfThreeAndTheAreaScrollsTo210WhenLower) {
    openSearch();
    search->keyArea()->setFrame(platform::Rect::make(0, 121, 320, 150));
    search->setSearchKey(keysReply(7)["dataList"]);
    auto buttons = keyButtons();
    ASSERT_EQ(buttons.size(), 7U);
    EXPECT_EQ(buttons[0]->frame(), platform::Rect::make(15, 10, 90, 50));
    EXPECT_EQ(buttons[2]->frame(), platform::Rect::make(215, 10, 90, 50));
    EXPECT_EQ(buttons[3]->frame(), platform::Rect::make(15, 75, 90, 50));
    EXPECT_EQ(buttons[6]->frame(), platform::Rect::make(15, 140, 90, 50));
    EXPECT_EQ(buttons[6]->tag(), 6);
    EXPECT_EQ(buttons[4]->currentTitle(), "键4");
    EXPECT_EQ(buttons[4]->titleColorForState(platform::ControlStateNormal),
              platform::Color::rgb255(0, 92, 123));
    EXPECT_EQ(buttons[4]->titleColorForState(platform::ControlStateHighlighted), platform::Color::white());
    EXPECT_EQ(search->keyArea()->contentSize(), (platform::Size{320, 210}));

    search->setSearchKey(keysReply(2)["dataList"]);
    EXPECT_EQ(keyButtons().size(), 2U) << "the previous buttons go";
}

TEST_F(SearchScreenTest, ATallAreaKeepsItsContentSize) {
    openSearch();
    ASSERT_GT(search->keyArea()->frame().height(), 210);
    search->setSearchKey(keysReply(7)["dataList"]);
    EXPECT_EQ(search->keyArea()->contentSize(), (platform::Size{0, 0}));
}

TEST_F(SearchScreenTest, KeysComeFromTheCacheAndAReplyIsStoredWithItsMoment) {
    CacheFreshness::writeCachedReply("mode6.plist", keysReply(4).dump());
    openSearch();
    EXPECT_EQ(keyButtons().size(), 4U);
    EXPECT_EQ(service.count("mode=6"), 0U);

    service.reply("mode=6", keysReply(5));
    advance(301);
    std::size_t handled = keyReplies();
    search->viewWillAppear(false);
    ASSERT_TRUE(pump([&] { return keyReplies() > handled; }));
    EXPECT_EQ(keyButtons().size(), 5U);
    EXPECT_EQ(Value::parse(*CacheFreshness::readCachedReply("mode6.plist")), keysReply(5));
    EXPECT_FALSE(CacheFreshness::needsRefresh("SearchCateRefreshTime"));
    advance(299);
    search->viewWillAppear(false);
    EXPECT_EQ(sent("mode=6"), 1U) << "299 seconds keep the keys";
    advance(2);
    search->viewWillAppear(false);
    EXPECT_EQ(sent("mode=6"), 2U);
}

TEST_F(SearchScreenTest, FailedRepliesKeepTheKeysAndTheCacheButAdvanceTheMoment) {
    CacheFreshness::writeCachedReply("mode6.plist", keysReply(3).dump());
    refuseConnections();
    openSearch(false);
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_FALSE(platform::UserDefaults::standard().stringForKey("SearchCateRefreshTime").has_value());

    acceptConnections();
    service.replyRaw("mode=6", "<html>oops</html>");
    std::size_t handled = keyReplies();
    search->viewWillAppear(false);
    ASSERT_TRUE(pump([&] { return keyReplies() > handled; }));
    EXPECT_EQ(keyButtons().size(), 3U) << "the keys shown stay";
    EXPECT_EQ(CacheFreshness::readCachedReply("mode6.plist"), keysReply(3).dump()) << "the good keys stay";
    EXPECT_FALSE(CacheFreshness::needsRefresh("SearchCateRefreshTime"));

    service.reply("mode=6", Value{{"result", "1"}, {"message", "busy"}});
    advance(301);
    handled = keyReplies();
    search->viewWillAppear(false);
    ASSERT_TRUE(pump([&] { return keyReplies() > handled; }));
    EXPECT_EQ(CacheFreshness::readCachedReply("mode6.plist"), keysReply(3).dump());
    EXPECT_FALSE(CacheFreshness::needsRefresh("SearchCateRefreshTime"));
}

TEST_F(SearchScreenTest, ACategoryKeyOpensResultsWithItsSearchIdAndIsNotRemembered) {
    Value keys = keysReply(6);
    keys["dataList"][5] = Value{{"title", "增值税"}, {"type", "1"}, {"id", "5"}};
    CacheFreshness::writeCachedReply("mode6.plist", keys.dump());
    openSearch();
    keyButtons()[5]->sendActionsForControlEvents(platform::TouchUpInside);
    nav->finishTransition();
    auto shown = results();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->keyWords(), "增值税");
    EXPECT_EQ(shown->searchId(), "5");
    EXPECT_EQ(shown->searchTitle(), "增值税");
    EXPECT_TRUE(shown->hidesBottomBarWhenPushed());
    ASSERT_TRUE(waitForRequests("mode=7", 1));
    EXPECT_EQ(service.lastBody("mode=7"), "mode=7&searchKey=%E5%A2%9E%E5%80%BC%E7%A8%8E&searchId=5&nowPage=1&pageSize=10");
    EXPECT_FALSE(FileManagerUtil::getHistorySearchArray().has_value());
}

TEST_F(SearchScreenTest, ACourseKeyOpensTheCourseDetailWithItsDictionaryAndSendsNoSearch) {
    Value keys = keysReply(2);
    keys["dataList"][1] = Value{{"title", "出口退税实务"},
                                {"type", "2"},
                                {"id", "301"},
                                {"url", "http://127.0.0.1:1/c"},
                                {"detailTitle", "税务实务"}};
    CacheFreshness::writeCachedReply("mode6.plist", keys.dump());
    openSearch();
    keyButtons()[1]->sendActionsForControlEvents(platform::TouchUpInside);
    nav->finishTransition();
    auto detail = std::dynamic_pointer_cast<CourseDetailViewCon>(nav->topViewController());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->nibName(), "CourseDetailViewCon");
    EXPECT_EQ(detail->detailData(), keys["dataList"][1]);
    EXPECT_TRUE(detail->hidesBottomBarWhenPushed());
    EXPECT_EQ(sent("mode=7"), 0U);

    popToSearch();
    platform::Button stray;
    stray.setTag(2);
    search->defaultSearchKeyClicked(stray);
    EXPECT_EQ(nav->viewControllers().size(), 1U) << "a tag beyond the keys is ignored";
}

}  // namespace
}  // namespace qelvo::test
