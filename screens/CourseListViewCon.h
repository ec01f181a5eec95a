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

// The courses of one category, ten a page, opened from the catalogue or a home page
// section. Nothing is kept on disk: each opening asks the service, with the header in
// its loading state until the first page (or its failure) arrives.
class CourseListViewCon : public BaseViewCon,
                          public platform::TableViewDataSource,
                          public platform::TableViewDelegate {
public:
    static constexpr double kRowHeight = 85;

    explicit CourseListViewCon(std::string nibName = "CourseListViewCon");
    std::string className() const override { return "CourseListViewCon"; }

    // Set by the opener before the screen is shown.
    const std::string& _topTitle() const { return _topTitle_; }
    void set_topTitle(std::string title) { _topTitle_ = std::move(title); }
    const std::string& _courseCateID() const { return _courseCateID_; }
    void set_courseCateID(std::string id) { _courseCateID_ = std::move(id); }

    void viewDidLoad() override;
    // Starts a refresh cycle unless one runs.
    void refreshData(platform::GestureRecognizer* sender) override;
    void back(platform::Control* sender) override;

    // Shows a reply body by the paging rules.
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
    void pageEnded(int page);

    std::string _topTitle_;
    std::string _courseCateID_;
    std::shared_ptr<platform::TableView> _listTableView;
    RefreshCycle _refreshCycle;
    PageLoader _pages;
    platform::ScopedTimer _doneLoadingTimer;
};
