#pragma once

#include "components/PageLoader.h"
#include "platform/foundation/Json.h"
#include "platform/ui/Control.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class RefreshCycle;
class RefreshTableHeaderView;

// The articles of one news channel: a paged, pull-to-refresh list with a strip of
// headline pictures above it. It lives as a page of the news screen's channel
// switcher and pushes the articles it opens on the news screen's stack. Its first
// page is cached on disk and fetched again when older than 300 seconds.
class NewsListViewCon : public platform::ViewController,
                        public platform::TableViewDataSource,
                        public platform::TableViewDelegate {
public:
    static constexpr double kRowHeight = 80;
    // The headline strip.
    static constexpr double kHeadWidth = 320;
    static constexpr double kHeadHeight = 155;
    static constexpr int kHeadButtonTagBase = 10000;
    static constexpr int kHeadScrollTag = 70000;
    static constexpr int kPageControlTag = 80000;
    // Refresh timing.
    static constexpr double kRefreshDelay = 2.0;

    explicit NewsListViewCon(std::string nibName = "NewsListViewCon");
    ~NewsListViewCon() override;
    std::string className() const override { return "NewsListViewCon"; }

    // Set by the news screen before the view loads.
    const std::string& newsCateID() const { return _newsCateID; }
    void setNewsCateID(std::string newsCateID) { _newsCateID = std::move(newsCateID); }
    // The screen whose navigation stack receives the articles; held weakly, as the
    // news screen owns its pages.
    std::shared_ptr<platform::ViewController> m_parentViewCon() const { return m_parentViewCon_.lock(); }
    void setM_parentViewCon(const std::shared_ptr<platform::ViewController>& parent) {
        m_parentViewCon_ = parent;
    }

    // "newsCateID" + the channel id: the preference key of the channel's first page,
    // and with ".plist" its cache file.
    std::string preferenceKey() const;
    std::string cacheFileName() const;

    void viewDidLoad() override;
    // Shows the cached first page.
    void initData();
    // Starts a refresh when the channel's first page is missing or more than 300 s old.
    void doRefresh();
    // Handles a reply body (or the cached one) as the list's content.
    void createUIData(std::string_view body);
    // The headline strip, or nothing when there are no headlines.
    std::shared_ptr<platform::View> getHeadAdviseView();
    void topAdClicked(platform::Control& sender);

    // The refresh cycle.
    void reloadTableViewDataSource();
    void doneLoadingTableViewData();
    void dataSourceDidFinishLoadingNewData();

    // The list.
    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;
    void scrollViewDidScroll(platform::ScrollView& scrollView) override;
    void scrollViewDidEndDragging(platform::ScrollView& scrollView, bool willDecelerate) override;
    void scrollViewDidEndDecelerating(platform::ScrollView& scrollView) override;

    // What the screen holds, for the switcher's owner and for tests.
    const std::shared_ptr<platform::TableView>& listTableView() const { return _listTableView; }
    std::shared_ptr<RefreshTableHeaderView> refreshHeaderView() const;
    bool reloading() const;
    const platform::Value& dataList() const { return _pages.items(); }
    const platform::Value& adList() const { return _adList; }
    int nowPage() const { return _pages.nowPage(); }

private:
    void buildInterface();
    std::shared_ptr<NewsListViewCon> self();
    void pageReplied(const std::string& body);
    // Pushes the article screen for a row or a headline.
    void openArticle(const platform::Value& item);

    std::shared_ptr<platform::TableView> _listTableView;
    std::unique_ptr<RefreshCycle> _refreshCycle;
    PageLoader _pages;
    platform::Value _adList = platform::Value::array();
    std::string _newsCateID;
    std::weak_ptr<platform::ViewController> m_parentViewCon_;
};
