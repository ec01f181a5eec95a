#pragma once

#include "components/PageLoader.h"
#include "components/RefreshCycle.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScopedTimer.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/TableViewDelegate.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class RefreshTableHeaderView;
class RequestHelp;

// The course catalogue, root of the second tab: the course categories, ten a page,
// with pull-to-refresh and "加载更多". Its first page is kept on disk and asked for
// again when the screen comes into view more than 300 seconds after it arrived.
class CourseViewCon : public BaseViewCon,
                      public platform::TableViewDataSource,
                      public platform::TableViewDelegate {
public:
    static constexpr const char* kCacheFile = "mode3.plist";
    static constexpr const char* kRefreshTimeKey = "CourseViewPageRefreshTime";
    static constexpr double kRowHeight = 85;

    explicit CourseViewCon(std::string nibName = "CourseViewCon");
    std::string className() const override { return "CourseViewCon"; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Shows the stored first page.
    void initData();
    // Starts a refresh cycle when the stored first page is missing or stale.
    void doRefresh();
    // Shows a reply body (or the stored one) by the paging rules.
    void createUIData(std::string_view body);

    // The refresh cycle.
    void reloadTableViewDataSource();
    void doneLoadingTableViewData();
    void dataSourceDidFinishLoadingNewData();

    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;
    void scrollViewDidScroll(platform::ScrollView& scrollView) override;
    void scrollViewDidEndDragging(platform::ScrollView& scrollView, bool willDecelerate) override;

    std::shared_ptr<platform::TableView> listTableView() const { return _listTableView; }
    const platform::Value& dataList() const { return _pages.items(); }
    int nowPage() const { return _pages.nowPage(); }
    std::shared_ptr<RefreshTableHeaderView> refreshHeaderView() const { return _refreshCycle.header(); }
    bool reloading() const { return _refreshCycle.reloading(); }
    std::shared_ptr<RequestHelp> dataRequest() const { return _pages.request(); }

private:
    void pageReplied(int page, const std::string& body);

    std::shared_ptr<platform::TableView> _listTableView;
    RefreshCycle _refreshCycle;
    PageLoader _pages;
    platform::ScopedTimer _doneLoadingTimer;
};
