#include "screens/SearchResultViewCon.h"

#include "components/ProgressHUD.h"
#include "components/Toast.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/ui/NavigationController.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseImgCell.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

SearchResultViewCon::SearchResultViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

SearchResultViewCon::~SearchResultViewCon() = default;

std::shared_ptr<SearchResultViewCon> SearchResultViewCon::self() {
    return platform::sharedSelf(this);
}

void SearchResultViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setNavigationTitle(_searchTitle);
    buildInterface();
    hud = std::make_shared<ProgressHUD>(*view());
    hud->setLabelText("加载中...");
    _listTableV->addSubview(hud);
    PageLoader::Handlers handlers;
    handlers.bodyForPage = [this](int page) {
        return _searchId.empty() ? ServiceOperations::searchAll(_keyWords, page)
                                 : ServiceOperations::searchInCategory(_keyWords, _searchId, page);
    };
    handlers.sending = [this](int /*page*/) { hud->show(true); };
    handlers.replied = [this](int /*page*/, const std::string& body) { pageReplied(body); };
    handlers.failed = [this](int /*page*/) { pageFailed(); };
    _pages.attach(self(), _listTableV, std::move(handlers));
    _pages.loadFirstPage();
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

void SearchResultViewCon::pageReplied(const std::string& body) {
    hud->hide(true);
    createUIData(body);
}

void SearchResultViewCon::pageFailed() {
    platform::log("加载出错");
    hud->hide(true);
    Toast::showToastWithText("请检查网络!");
}

void SearchResultViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    auto reply = ServiceReply::parse(body);
    platform::logf("请求课程某个栏目列表返回数据;{}",
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (!reply || !_pages.showReply(*reply)) {
        return;
    }
    if (_pages.items().empty()) {
        Toast::showToastWithText("没有搜到相关内容!");
        auto screen = self();
        platform::RunLoop::main().schedule(kEmptyCloseDelay, [screen] { screen->back(nullptr); });
    }
}

void SearchResultViewCon::back(platform::Control* /*sender*/) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}

int SearchResultViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return static_cast<int>(_pages.items().size());
}

std::shared_ptr<platform::TableViewCell> SearchResultViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<CourseImgCell>(CourseImgCell::kReuseIdentifier);
    if (!cell) {
        cell = CourseImgCell::create();
        cell->setAccessoryType(platform::CellAccessoryType::DisclosureIndicator);
    }
    auto row = static_cast<std::size_t>(path.row);
    cell->setCellData(row < _pages.items().size() ? _pages.items()[row] : platform::Value::object());
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
    if (row >= _pages.items().size()) {
        return;
    }
    auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
    detail->setDetailData(_pages.items()[row]);
    if (auto* stack = navigationController()) {
        stack->pushViewController(detail, true);
    }
}
