#include "screens/CourseListViewCon.h"

#include "components/LoadMoreFooter.h"
#include "components/PagedList.h"
#include "platform/foundation/Log.h"
#include "platform/ui/NavigationController.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseImgCell.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

CourseListViewCon::CourseListViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

CourseListViewCon::~CourseListViewCon() {
    _doneLoadingTimer.cancel();
}

void CourseListViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setNavigationTitle(_topTitle_);
    _nowPage = 1;

    auto self = std::static_pointer_cast<CourseListViewCon>(shared_from_this());
    const double top = navBarHeight();
    const platform::Rect bounds = view()->bounds();
    _listTableView = platform::View::create<platform::TableView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _listTableView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _listTableView->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self));
    _listTableView->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self));
    view()->addSubview(_listTableView);

    _refreshCycle.attach(_listTableView, bounds.width());
    std::weak_ptr<CourseListViewCon> weak = self;
    _refreshCycle.setOnStart([weak] {
        if (auto strong = weak.lock()) {
            strong->reloadTableViewDataSource();
        }
    });
    if (!_dataList.is_array()) {
        _dataList = platform::Value::array();
    }
    refreshData(nullptr);
}

void CourseListViewCon::refreshData(platform::GestureRecognizer* /*sender*/) {
    if (_refreshCycle.reloading()) {
        return;
    }
    _refreshCycle.startProgrammatically();
}

void CourseListViewCon::back(platform::Control* /*sender*/) {
    if (auto* nav = navigationController()) {
        nav->popViewControllerAnimated(true);
    }
}

void CourseListViewCon::reloadTableViewDataSource() {
    std::weak_ptr<CourseListViewCon> weak = std::static_pointer_cast<CourseListViewCon>(shared_from_this());
    _doneLoadingTimer = platform::RunLoop::main().schedule(RefreshCycle::kReloadDelay, [weak] {
        if (auto strong = weak.lock()) {
            strong->doneLoadingTableViewData();
        }
    });
}

void CourseListViewCon::doneLoadingTableViewData() {
    _nowPage = 1;
    getConnection(1);
}

void CourseListViewCon::dataSourceDidFinishLoadingNewData() {
    _refreshCycle.dataSourceDidFinishLoadingNewData();
}

void CourseListViewCon::getConnection(int page) {
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    if (_dataRequest->running()) {
        // The transport would drop it and the open header would wait for good.
        _firstPageWaiting = _firstPageWaiting || page == 1;
        return;
    }
    auto self = std::static_pointer_cast<CourseListViewCon>(shared_from_this());
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::categoryCourses(_courseCateID_, page),
        [self, page](const std::string& body) {
            if (page == 1) {
                self->dataSourceDidFinishLoadingNewData();
            }
            if (self->_listTableView) {
                LoadMoreFooter::stopIndicator(*self->_listTableView);
            }
            self->createUIData(body);
            const auto reply = ServiceReply::parse(body);
            self->requestEnded(page, reply && ServiceReply::isSuccess(*reply));
        },
        [self, page](const platform::HttpError&) {
            platform::log("加载出错");
            if (self->_listTableView) {
                LoadMoreFooter::stopIndicator(*self->_listTableView);
            }
            if (page == 1) {
                self->dataSourceDidFinishLoadingNewData();
            }
            self->requestEnded(page, false);
        });
}

void CourseListViewCon::requestEnded(int page, bool succeeded) {
    // A failed "加载更多" leaves the counter on the last page shown, so the next tap
    // asks for the same page again.
    if (!succeeded && page > 1 && _nowPage == page) {
        _nowPage = page - 1;
    }
    if (_firstPageWaiting) {
        _firstPageWaiting = false;
        // Only a screen still on its stack asks: a popped one would be kept alive by
        // a request nobody sees.
        if (parentViewController()) {
            _nowPage = 1;
            getConnection(1);
        } else if (_refreshCycle.reloading()) {
            dataSourceDidFinishLoadingNewData();
        }
    }
}

void CourseListViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    const auto reply = ServiceReply::parse(body);
    platform::logf("请求课程某个栏目列表返回数据;{}",
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (!reply || !ServiceReply::isSuccess(*reply)) {
        return;
    }
    const bool hasNext = PagedList::applyReply(*reply, _nowPage, _dataList);
    if (!_listTableView) {
        return;
    }
    std::weak_ptr<CourseListViewCon> weak = std::static_pointer_cast<CourseListViewCon>(shared_from_this());
    LoadMoreFooter::setUnder(*_listTableView, hasNext, [weak] {
        if (auto strong = weak.lock()) {
            strong->loadMore();
        }
    });
    _listTableView->reloadData();
}

void CourseListViewCon::loadMore() {
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

int CourseListViewCon::numberOfRowsInSection(platform::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(_dataList.size());
}

std::shared_ptr<platform::TableViewCell> CourseListViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<CourseImgCell>(CourseImgCell::kReuseIdentifier);
    if (!cell) {
        cell = CourseImgCell::create();
    }
    const auto row = static_cast<std::size_t>(path.row);
    cell->setCellData(row < _dataList.size() ? _dataList[row] : platform::Value::object());
    cell->setAccessoryType(platform::CellAccessoryType::DisclosureIndicator);
    return cell;
}

std::optional<double> CourseListViewCon::heightForRowAtIndexPath(platform::TableView& /*tableView*/,
                                                                 const platform::IndexPath& /*path*/) {
    return kRowHeight;
}

void CourseListViewCon::didSelectRowAtIndexPath(platform::TableView& tableView,
                                                const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
    const auto row = static_cast<std::size_t>(path.row);
    if (row >= _dataList.size()) {
        return;
    }
    auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
    detail->setDetailData(_dataList[row]);
    if (auto* nav = navigationController()) {
        nav->pushViewController(detail, true);
    }
}

void CourseListViewCon::scrollViewDidScroll(platform::ScrollView& scrollView) {
    if (&scrollView == _listTableView.get()) {
        _refreshCycle.scrollViewDidScroll(scrollView);
    }
}

void CourseListViewCon::scrollViewDidEndDragging(platform::ScrollView& scrollView, bool /*willDecelerate*/) {
    if (&scrollView == _listTableView.get()) {
        _refreshCycle.scrollViewDidEndDragging(scrollView);
    }
}
