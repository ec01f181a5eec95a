#include "screens/SearchResultViewCon.h"

#include "components/LoadMoreFooter.h"
#include "components/PagedList.h"
#include "components/ProgressHUD.h"
#include "components/Toast.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/NavigationController.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseImgCell.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

SearchResultViewCon::SearchResultViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

SearchResultViewCon::~SearchResultViewCon() = default;

std::shared_ptr<SearchResultViewCon> SearchResultViewCon::self() {
    return std::static_pointer_cast<SearchResultViewCon>(shared_from_this());
}

void SearchResultViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setNavigationTitle(_searchTitle);
    buildInterface();
    hud = std::make_shared<ProgressHUD>(*view());
    hud->setLabelText("加载中...");
    _listTableV->addSubview(hud);
    _resultList = platform::Value::array();
    _nowPage = 1;
    getConnection(1);
}

void SearchResultViewCon::buildInterface() {
    double top = navBarHeight();
    platform::Rect bounds = view()->bounds();
    _listTableV = platform::View::create<platform::TableView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _listTableV->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _listTableV->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self()));
    _listTableV->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self()));
    view()->addSubview(_listTableV);
}

void SearchResultViewCon::getConnection(int page) {
    hud->show(true);
    std::string body = _searchId.empty() ? ServiceOperations::searchAll(_keyWords, page)
                                         : ServiceOperations::searchInCategory(_keyWords, _searchId, page);
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    // The request keeps the screen alive until its answer has been handled.
    auto screen = self();
    ServiceOperations::send(
        *_dataRequest, body, [screen](const std::string& reply) { screen->replied(reply); },
        [screen](const platform::HttpError&) { screen->requestFailed(); });
}

void SearchResultViewCon::replied(const std::string& body) {
    _pageBeforeLoadMore.reset();
    hud->hide(true);
    stopFooterIndicator();
    createUIData(body);
}

void SearchResultViewCon::requestFailed() {
    platform::log("加载出错");
    // The page that failed is asked for again at the next "加载更多", not skipped.
    if (_pageBeforeLoadMore) {
        _nowPage = *_pageBeforeLoadMore;
        _pageBeforeLoadMore.reset();
    }
    hud->hide(true);
    Toast::showToastWithText("请检查网络!");
    stopFooterIndicator();
}

void SearchResultViewCon::stopFooterIndicator() {
    LoadMoreFooter::stopIndicator(*_listTableV);
}

void SearchResultViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    auto reply = ServiceReply::parse(body);
    platform::logf("请求课程某个栏目列表返回数据;{}",
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (!reply || !ServiceReply::isSuccess(*reply)) {
        return;
    }
    bool hasNext = PagedList::applyReply(*reply, _nowPage, _resultList);
    if (_resultList.empty()) {
        Toast::showToastWithText("没有搜到相关内容!");
    }
    std::weak_ptr<SearchResultViewCon> weak = self();
    LoadMoreFooter::setUnder(*_listTableV, hasNext, [weak] {
        if (auto screen = weak.lock()) {
            screen->loadMore();
        }
    });
    if (_resultList.empty()) {
        auto screen = self();
        platform::RunLoop::main().schedule(kEmptyCloseDelay, [screen] { screen->back(nullptr); });
    }
    _listTableV->reloadData();
}

void SearchResultViewCon::loadMore() {
    LoadMoreFooter::startIndicator(*_listTableV);
    // A tap while the previous page is still on its way is dropped by the transport;
    // the page counter is only raised for a request that leaves.
    if (_dataRequest && _dataRequest->running()) {
        return;
    }
    _pageBeforeLoadMore = _nowPage;
    _nowPage += 1;
    getConnection(_nowPage);
}

void SearchResultViewCon::back(platform::Control* /*sender*/) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}

int SearchResultViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return static_cast<int>(_resultList.size());
}

std::shared_ptr<platform::TableViewCell> SearchResultViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<CourseImgCell>(CourseImgCell::kReuseIdentifier);
    if (!cell) {
        cell = CourseImgCell::create();
        cell->setAccessoryType(platform::CellAccessoryType::DisclosureIndicator);
    }
    auto row = static_cast<std::size_t>(path.row);
    cell->setCellData(row < _resultList.size() ? _resultList[row] : platform::Value::object());
    return cell;
}

std::optional<double> SearchResultViewCon::heightForRowAtIndexPath(platform::TableView&,
                                                                   const platform::IndexPath&) {
    return kRowHeight;
}

void SearchResultViewCon::didSelectRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
    auto row = static_cast<std::size_t>(path.row);
    if (row >= _resultList.size()) {
        return;
    }
    auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
    detail->setDetailData(_resultList[row]);
    if (auto* stack = navigationController()) {
        stack->pushViewController(detail, true);
    }
}
