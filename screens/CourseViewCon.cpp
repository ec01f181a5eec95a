#include "screens/CourseViewCon.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/ui/NavigationController.h"
#include "screens/CourseCell.h"
#include "screens/CourseListViewCon.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"
#include "storage/CacheFreshness.h"

CourseViewCon::CourseViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}


void CourseViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(kBackStyleTitleOnly);
    setNavigationTitle("微课程");

    auto self = platform::sharedSelf(this);
    const double top = navBarHeight();
    const platform::Rect bounds = view()->bounds();
    _listTableView = platform::View::create<platform::TableView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _listTableView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _listTableView->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self));
    _listTableView->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self));
    view()->addSubview(_listTableView);

    _refreshCycle.attach(_listTableView, bounds.width());
    std::weak_ptr<CourseViewCon> weak = self;
    _refreshCycle.setOnStart([weak] {
        if (auto strong = weak.lock()) {
            strong->reloadTableViewDataSource();
        }
    });
    PageLoader::Handlers handlers;
    handlers.bodyForPage = [](int page) { return ServiceOperations::courseCategories(page); };
    handlers.replied = [this](int page, const std::string& body) { pageReplied(page, body); };
    handlers.failed = [](int /*page*/) { platform::log("加载出错"); };
    _pages.attach(self, _listTableView, std::move(handlers));
    initData();
}

void CourseViewCon::viewWillAppear(bool animated) {
    BaseViewCon::viewWillAppear(animated);
    doRefresh();
}

void CourseViewCon::initData() {
    if (auto stored = CacheFreshness::readCachedReply(kCacheFile)) {
        createUIData(*stored);
    }
}

void CourseViewCon::doRefresh() {
    if (isViewLoaded() && !_refreshCycle.reloading() && CacheFreshness::needsRefresh(kRefreshTimeKey)) {
        _refreshCycle.startProgrammatically();
    }
}

void CourseViewCon::reloadTableViewDataSource() {
    std::weak_ptr<CourseViewCon> weak = platform::sharedSelf(this);
    _doneLoadingTimer = platform::RunLoop::main().schedule(RefreshCycle::kReloadDelay, [weak] {
        if (auto strong = weak.lock()) {
            strong->doneLoadingTableViewData();
        }
    });
}

void CourseViewCon::doneLoadingTableViewData() {
    dataSourceDidFinishLoadingNewData();
    _pages.loadFirstPage();
}

void CourseViewCon::dataSourceDidFinishLoadingNewData() {
    _refreshCycle.dataSourceDidFinishLoadingNewData();
}

void CourseViewCon::pageReplied(int /*page*/, const std::string& body) {
    createUIData(body);
    if (const auto reply = ServiceReply::parse(body)) {
        const int pageNum = ServiceReply::nowPage(*reply);
        platform::logf("pageNum is: {}", pageNum);
        if (pageNum == 1) {
            CacheFreshness::markRefreshed(kRefreshTimeKey);
            if (ServiceReply::isSuccess(*reply)) {
                CacheFreshness::writeCachedReply(kCacheFile, body);
            }
        }
    }
}

void CourseViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    const auto reply = ServiceReply::parse(body);
    platform::logf("请求课程返回数据;{}",
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (reply) {
        _pages.showReply(*reply);
    }
}

int CourseViewCon::numberOfRowsInSection(platform::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(_pages.items().size());
}

std::shared_ptr<platform::TableViewCell> CourseViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<CourseCell>(CourseCell::kReuseIdentifier);
    if (!cell) {
        cell = CourseCell::create();
    }
    const auto row = static_cast<std::size_t>(path.row);
    cell->setCellData(row < _pages.items().size() ? _pages.items()[row] : platform::Value::object());
    cell->setAccessoryType(platform::CellAccessoryType::DisclosureIndicator);
    return cell;
}

std::optional<double> CourseViewCon::heightForRowAtIndexPath(platform::TableView& /*tableView*/,
                                                             const platform::IndexPath& /*path*/) {
    return kRowHeight;
}

void CourseViewCon::didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
    const auto row = static_cast<std::size_t>(path.row);
    if (row >= _pages.items().size()) {
        return;
    }
    const platform::Value& category = _pages.items()[row];
    auto list = std::make_shared<CourseListViewCon>("CourseListViewCon");
    list->setHidesBottomBarWhenPushed(true);
    list->set_topTitle(platform::Json::stringForKey(category, "title").value_or(""));
    list->set_courseCateID(platform::Json::description(platform::Json::find(category, "id")));
    if (auto* nav = navigationController()) {
        nav->pushViewController(list, true);
    }
}

void CourseViewCon::scrollViewDidScroll(platform::ScrollView& scrollView) {
    if (&scrollView == _listTableView.get()) {
        _refreshCycle.scrollViewDidScroll(scrollView);
    }
}

void CourseViewCon::scrollViewDidEndDragging(platform::ScrollView& scrollView, bool /*willDecelerate*/) {
    if (&scrollView == _listTableView.get()) {
        _refreshCycle.scrollViewDidEndDragging(scrollView);
    }
}
