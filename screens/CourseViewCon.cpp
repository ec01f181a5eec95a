#include "screens/CourseViewCon.h"

#include "components/LoadMoreFooter.h"
#include "components/PagedList.h"
#include "platform/foundation/Log.h"
#include "platform/ui/NavigationController.h"
#include "screens/CourseCell.h"
#include "screens/CourseListViewCon.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"
#include "storage/CacheFreshness.h"

CourseViewCon::CourseViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

CourseViewCon::~CourseViewCon() {
    _doneLoadingTimer.cancel();
}

void CourseViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(kBackStyleTitleOnly);
    setNavigationTitle("微课程");
    _nowPage = 1;

    auto self = std::static_pointer_cast<CourseViewCon>(shared_from_this());
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
    initData();
}

void CourseViewCon::viewWillAppear(bool animated) {
    BaseViewCon::viewWillAppear(animated);
    doRefresh();
}

void CourseViewCon::initData() {
    if (!_dataList.is_array()) {
        _dataList = platform::Value::array();
    }
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
    std::weak_ptr<CourseViewCon> weak = std::static_pointer_cast<CourseViewCon>(shared_from_this());
    _doneLoadingTimer = platform::RunLoop::main().schedule(RefreshCycle::kReloadDelay, [weak] {
        if (auto strong = weak.lock()) {
            strong->doneLoadingTableViewData();
        }
    });
}

void CourseViewCon::doneLoadingTableViewData() {
    dataSourceDidFinishLoadingNewData();
    _nowPage = 1;
    getConnection(1);
}

void CourseViewCon::dataSourceDidFinishLoadingNewData() {
    _refreshCycle.dataSourceDidFinishLoadingNewData();
}

void CourseViewCon::getConnection(int page) {
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    if (_dataRequest->running()) {
        // The transport would drop it; a refresh must still reach the service.
        _firstPageWaiting = _firstPageWaiting || page == 1;
        return;
    }
    auto self = std::static_pointer_cast<CourseViewCon>(shared_from_this());
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::courseCategories(page),
        [self, page](const std::string& body) {
            if (self->_listTableView) {
                LoadMoreFooter::stopIndicator(*self->_listTableView);
            }
            self->createUIData(body);
            const auto reply = ServiceReply::parse(body);
            if (reply) {
                const int pageNum = ServiceReply::nowPage(*reply);
                platform::logf("pageNum is: {}", pageNum);
                if (pageNum == 1) {
                    CacheFreshness::markRefreshed(kRefreshTimeKey);
                    CacheFreshness::writeCachedReply(kCacheFile, body);
                }
            }
            self->requestEnded(page, reply && ServiceReply::isSuccess(*reply));
        },
        [self, page](const platform::HttpError&) {
            platform::log("加载出错");
            if (self->_listTableView) {
                LoadMoreFooter::stopIndicator(*self->_listTableView);
            }
            self->requestEnded(page, false);
        });
}

void CourseViewCon::requestEnded(int page, bool succeeded) {
    // A failed "加载更多" leaves the counter on the last page shown, so the next tap
    // asks for the same page again.
    if (!succeeded && page > 1 && _nowPage == page) {
        _nowPage = page - 1;
    }
    if (_firstPageWaiting) {
        _firstPageWaiting = false;
        _nowPage = 1;
        getConnection(1);
    }
}

void CourseViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    const auto reply = ServiceReply::parse(body);
    platform::logf("请求课程返回数据;{}",
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (!reply || !ServiceReply::isSuccess(*reply)) {
        return;
    }
    const bool hasNext = PagedList::applyReply(*reply, _nowPage, _dataList);
    if (!_listTableView) {
        return;
    }
    std::weak_ptr<CourseViewCon> weak = std::static_pointer_cast<CourseViewCon>(shared_from_this());
    LoadMoreFooter::setUnder(*_listTableView, hasNext, [weak] {
        if (auto strong = weak.lock()) {
            strong->loadMore();
        }
    });
    _listTableView->reloadData();
}

void CourseViewCon::loadMore() {
    if (_listTableView) {
        LoadMoreFooter::startIndicator(*_listTableView);
    }
    if (_dataRequest && _dataRequest->running()) {
        // The page would be dropped; the spinner stops with the reply on its way.
        return;
    }
    _nowPage += 1;
    getConnection(_nowPage);
}

int CourseViewCon::numberOfRowsInSection(platform::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(_dataList.size());
}

std::shared_ptr<platform::TableViewCell> CourseViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<CourseCell>(CourseCell::kReuseIdentifier);
    if (!cell) {
        cell = CourseCell::create();
    }
    const auto row = static_cast<std::size_t>(path.row);
    cell->setCellData(row < _dataList.size() ? _dataList[row] : platform::Value::object());
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
    if (row >= _dataList.size()) {
        return;
    }
    const platform::Value& category = _dataList[row];
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
