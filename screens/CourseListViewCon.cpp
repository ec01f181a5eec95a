#include "screens/CourseListViewCon.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/ui/NavigationController.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseImgCell.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

CourseListViewCon::CourseListViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}


void CourseListViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setNavigationTitle(_topTitle_);

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
    std::weak_ptr<CourseListViewCon> weak = self;
    _refreshCycle.setOnStart([weak] {
        if (auto strong = weak.lock()) {
            strong->reloadTableViewDataSource();
        }
    });
    PageLoader::Handlers handlers;
    handlers.bodyForPage = [this](int page) {
        return ServiceOperations::categoryCourses(_courseCateID_, page);
    };
    handlers.replied = [this](int page, const std::string& body) {
        pageEnded(page);
        createUIData(body);
    };
    handlers.failed = [this](int page) {
        platform::log("加载出错");
        pageEnded(page);
    };
    // A popped screen asks for nothing more: the request would keep it alive for an
    // answer nobody sees.
    handlers.stillWanted = [this] { return parentViewController() != nullptr; };
    handlers.dropped = [this](int page) { pageEnded(page); };
    _pages.attach(self, _listTableView, std::move(handlers));
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
    std::weak_ptr<CourseListViewCon> weak = platform::sharedSelf(this);
    _doneLoadingTimer = platform::RunLoop::main().schedule(RefreshCycle::kReloadDelay, [weak] {
        if (auto strong = weak.lock()) {
            strong->doneLoadingTableViewData();
        }
    });
}

void CourseListViewCon::doneLoadingTableViewData() {
    _pages.loadFirstPage();
}

void CourseListViewCon::dataSourceDidFinishLoadingNewData() {
    _refreshCycle.dataSourceDidFinishLoadingNewData();
}

void CourseListViewCon::pageEnded(int page) {
    // The header stays open until the first page (or its failure) arrives.
    if (page == 1 && _refreshCycle.reloading()) {
        dataSourceDidFinishLoadingNewData();
    }
}

void CourseListViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    const auto reply = ServiceReply::parse(body);
    platform::logf("请求课程某个栏目列表返回数据;{}",
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (reply) {
        _pages.showReply(*reply);
    }
}

int CourseListViewCon::numberOfRowsInSection(platform::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(_pages.items().size());
}

std::shared_ptr<platform::TableViewCell> CourseListViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<CourseImgCell>(CourseImgCell::kReuseIdentifier);
    if (!cell) {
        cell = CourseImgCell::create();
    }
    const auto row = static_cast<std::size_t>(path.row);
    cell->setCellData(row < _pages.items().size() ? _pages.items()[row] : platform::Value::object());
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
    if (row >= _pages.items().size()) {
        return;
    }
    auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
    detail->setDetailData(_pages.items()[row]);
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
