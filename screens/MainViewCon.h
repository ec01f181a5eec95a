#pragma once

#include "components/RefreshCycle.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScopedTimer.h"
#include "platform/ui/Control.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/ViewController.h"
#include "screens/contentClickedDelegate.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class RefreshTableHeaderView;
class RequestHelp;

// The home page: an advertisement strip over a list of featured sections, each a row
// of course tiles. A plain screen that draws its own header rather than the common
// title bar. It shows the stored "mode=2" reply at once and asks the service again
// whenever it comes into view with that reply more than 300 seconds old, or when the
// user pulls the list down.
class MainViewCon : public platform::ViewController,
                    public platform::TableViewDataSource,
                    public platform::TableViewDelegate,
                    public contentClickedDelegate {
public:
    static constexpr const char* kCacheFile = "mode2.plist";
    static constexpr const char* kRefreshTimeKey = "LastHomePageRefreshTime";
    static constexpr const char* kAdPlaceholder = "homePage_ad_default.png";
    static constexpr double kRowHeight = 140;
    // The advertisement strip.
    static constexpr double kAdWidth = 320;
    static constexpr double kAdHeight = 155;
    static constexpr int kAdButtonTagBase = 10000;
    static constexpr int kMoreButtonTagBase = 20000;
    static constexpr int kAdScrollTag = 70000;
    static constexpr int kPageControlTag = 80000;

    explicit MainViewCon(std::string nibName = "MainViewCon");
    std::string className() const override { return "MainViewCon"; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Shows the stored reply.
    void initData();
    // Starts a refresh cycle when the stored reply is missing or stale.
    void isRefreshData();
    // Sends "mode=2".
    void getConnection();
    // Shows a reply body (or the stored one); a body without "result" "0" changes nothing.
    void createUIData(std::string_view body);
    // The advertisement strip, or nothing when there are no advertisements.
    std::shared_ptr<platform::View> getHeadAdviseView();

    // The refresh cycle.
    void reloadTableViewDataSource();
    void doneLoadingTableViewData();
    void dataSourceDidFinishLoadingNewData();

    // The list and the strip's scroller.
    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;
    void scrollViewDidScroll(platform::ScrollView& scrollView) override;
    void scrollViewDidEndDragging(platform::ScrollView& scrollView, bool willDecelerate) override;
    void scrollViewDidEndDecelerating(platform::ScrollView& scrollView) override;

    // Taps.
    void contentImageClicked(std::size_t code) override;
    void contentImageClickedAt(std::size_t row, std::size_t index) override;
    void MoreBtnClicked(platform::Control& sender);
    void topAdClicked(platform::Control& sender);

    std::shared_ptr<platform::TableView> listTableView() const { return _listTableView; }
    const platform::Value& dataList() const { return _dataList; }
    const platform::Value& adList() const { return _adList; }
    std::shared_ptr<RefreshTableHeaderView> refreshHeaderView() const { return _refreshCycle.header(); }
    bool reloading() const { return _refreshCycle.reloading(); }
    std::shared_ptr<RequestHelp> dataRequest() const { return _dataRequest; }

private:
    void buildHeader();
    void pushScreen(const std::shared_ptr<platform::ViewController>& screen);
    void handleReply(const std::string& body);

    std::shared_ptr<platform::View> _headerView;
    std::shared_ptr<platform::TableView> _listTableView;
    platform::Value _dataList = platform::Value::array();
    platform::Value _adList = platform::Value::array();
    RefreshCycle _refreshCycle;
    std::shared_ptr<RequestHelp> _dataRequest;
    platform::ScopedTimer _doneLoadingTimer;
};
