#include "screens/NewsListViewCon.h"

#include "components/RefreshCycle.h"
#include "imageloader/ImageViewWebCache.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/image/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PageControl.h"
#include "screens/NewsCell.h"
#include "screens/WebViewController.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"
#include "storage/CacheFreshness.h"

#include <cmath>
#include <limits>

NewsListViewCon::NewsListViewCon(std::string nibName)
    : platform::ViewController(std::move(nibName)), _refreshCycle(std::make_unique<RefreshCycle>()) {}

NewsListViewCon::~NewsListViewCon() = default;

std::shared_ptr<NewsListViewCon> NewsListViewCon::self() {
    return platform::sharedSelf(this);
}

std::string NewsListViewCon::preferenceKey() const {
    return "newsCateID" + _newsCateID;
}

std::string NewsListViewCon::cacheFileName() const {
    return preferenceKey() + ".plist";
}

std::shared_ptr<RefreshTableHeaderView> NewsListViewCon::refreshHeaderView() const {
    return _refreshCycle->header();
}

bool NewsListViewCon::reloading() const {
    return _refreshCycle->reloading();
}

void NewsListViewCon::viewDidLoad() {
    platform::ViewController::viewDidLoad();
    platform::log("111");
    buildInterface();
    PageLoader::Handlers handlers;
    handlers.bodyForPage = [this](int page) { return ServiceOperations::channelArticles(_newsCateID, page); };
    handlers.replied = [this](int /*page*/, const std::string& body) { pageReplied(body); };
    handlers.failed = [](int /*page*/) { platform::log("加载出错"); };
    _pages.attach(self(), _listTableView, std::move(handlers));
    initData();
    if (!_refreshCycle->header()) {
        _refreshCycle->attach(_listTableView, view()->frame().width());
    }
    // The cycle lives in this screen; its start must not keep the screen alive.
    std::weak_ptr<NewsListViewCon> weak = self();
    _refreshCycle->setOnStart([weak] {
        if (auto screen = weak.lock()) {
            screen->reloadTableViewDataSource();
        }
    });
}

void NewsListViewCon::buildInterface() {
    platform::Rect bounds = view()->bounds();
    _listTableView = platform::View::create<platform::TableView>(
        platform::Rect::make(0, 0, bounds.width(), bounds.height()));
    _listTableView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _listTableView->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self()));
    _listTableView->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self()));
    view()->addSubview(_listTableView);
}

void NewsListViewCon::initData() {
    _adList = platform::Value::array();
    if (auto cached = CacheFreshness::readCachedReply(cacheFileName())) {
        createUIData(*cached);
    }
}

void NewsListViewCon::doRefresh() {
    view();  // the list and its header exist from here on
    platform::logf("刷新资讯列表数据: {}", _newsCateID);
    std::optional<double> seconds = CacheFreshness::secondsSinceRefresh(preferenceKey());
    platform::logf("time is: {:f}", seconds.value_or(std::numeric_limits<double>::quiet_NaN()));
    if (CacheFreshness::needsRefresh(preferenceKey())) {
        _refreshCycle->startProgrammatically();
    }
}

void NewsListViewCon::reloadTableViewDataSource() {
    // A page thrown away by a rebuild of the tabs sends nothing.
    std::weak_ptr<NewsListViewCon> weak = self();
    platform::RunLoop::main().schedule(kRefreshDelay, [weak] {
        if (auto screen = weak.lock()) {
            screen->doneLoadingTableViewData();
        }
    });
}

void NewsListViewCon::doneLoadingTableViewData() {
    dataSourceDidFinishLoadingNewData();
    _pages.loadFirstPage();
}

void NewsListViewCon::dataSourceDidFinishLoadingNewData() {
    _refreshCycle->dataSourceDidFinishLoadingNewData();
}

void NewsListViewCon::pageReplied(const std::string& body) {
    createUIData(body);
    auto reply = ServiceReply::parse(body);
    if (reply && ServiceReply::nowPage(*reply) == 1) {
        CacheFreshness::markRefreshed(preferenceKey());
        if (ServiceReply::isSuccess(*reply)) {
            CacheFreshness::writeCachedReply(cacheFileName(), body);
        }
    }
}

void NewsListViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    auto reply = ServiceReply::parse(body);
    platform::logf("请求资讯返回数据{} ;{}", _newsCateID,
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (!reply || !ServiceReply::isSuccess(*reply)) {
        return;
    }
    if (const platform::Value* head = platform::Json::find(*reply, "head"); head && head->is_array()) {
        if (!head->empty()) {
            _adList = *head;
            _listTableView->setTableHeaderView(getHeadAdviseView());
        } else {
            _listTableView->setTableHeaderView(nullptr);
        }
    }
    _pages.showReply(*reply);
}

std::shared_ptr<platform::View> NewsListViewCon::getHeadAdviseView() {
    if (_adList.empty()) {
        return nullptr;
    }
    const std::size_t count = _adList.size();
    auto strip = platform::View::create(platform::Rect::make(0, 0, kHeadWidth, kHeadHeight));
    strip->setBackgroundColor(platform::Color::clear());

    auto scroller =
        platform::View::create<platform::ScrollView>(platform::Rect::make(0, 0, kHeadWidth, kHeadHeight));
    scroller->setTag(kHeadScrollTag);
    scroller->setPagingEnabled(true);
    scroller->setShowsHorizontalScrollIndicator(false);
    scroller->setShowsVerticalScrollIndicator(false);
    scroller->setBounces(false);
    scroller->setDelegate(std::static_pointer_cast<platform::ScrollViewDelegate>(self()));
    scroller->setContentSize(platform::Size{kHeadWidth * static_cast<double>(count), kHeadHeight});
    strip->addSubview(scroller);

    auto placeholder = platform::Image::named("newsPage_ad_default.png");
    auto screen = self();
    for (std::size_t i = 0; i < count; ++i) {
        const platform::Value& headline = _adList[i];
        const double x = kHeadWidth * static_cast<double>(i);
        auto picture =
            platform::View::create<platform::ImageView>(platform::Rect::make(x, 0, kHeadWidth, kHeadHeight));
        std::string url = platform::Json::stringForKey(headline, "image").value_or("");
        platform::logf("url is; {}", url);
        ImageViewWebCache::setImageWithURL(picture, url, placeholder);
        scroller->addSubview(picture);

        auto button =
            platform::View::create<platform::Button>(platform::Rect::make(x, 0, kHeadWidth, kHeadHeight));
        button->setBackgroundColor(platform::Color::clear());
        button->setTag(kHeadButtonTagBase + static_cast<int>(i));
        button->addTarget(screen, &NewsListViewCon::topAdClicked, platform::TouchUpInside);
        scroller->addSubview(button);

        auto caption = platform::View::create<platform::Label>(platform::Rect::make(x + 8, 125, 250, 30));
        caption->setBackgroundColor(platform::Color::clear());
        caption->setTextColor(platform::Color::white());
        caption->setFont(platform::Font::boldSystemFont(15));
        caption->setText(platform::Json::stringForKey(headline, "title").value_or(""));
        scroller->addSubview(caption);
    }

    auto pages = platform::View::create<platform::PageControl>(platform::Rect::make(250, 130, 50, 20));
    pages->setBackgroundColor(platform::Color::clear());
    pages->setTag(kPageControlTag);
    pages->setNumberOfPages(static_cast<int>(count));
    strip->addSubview(pages);
    return strip;
}

void NewsListViewCon::topAdClicked(platform::Control& sender) {
    int index = sender.tag() - kHeadButtonTagBase;
    if (index < 0 || static_cast<std::size_t>(index) >= _adList.size()) {
        return;
    }
    // A copy: the push may lead to a reply that replaces the headlines.
    openArticle(platform::Value(_adList[static_cast<std::size_t>(index)]));
}

void NewsListViewCon::openArticle(const platform::Value& item) {
    auto web = std::make_shared<WebViewController>("WebViewController");
    web->setHidesBottomBarWhenPushed(true);
    std::string url = platform::Json::description(platform::Json::find(item, "url")) +
                      "?docId=" + platform::Json::description(platform::Json::find(item, "id")) + "&from=iOS";
    web->set_webUrl(url);
    platform::logf("url is: {}", url);
    web->setNavTitle(platform::Json::stringForKey(item, "detailTitle"));
    auto parent = m_parentViewCon();
    if (auto* stack = parent ? parent->navigationController() : nullptr) {
        stack->pushViewController(web, true);
    }
}

int NewsListViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return static_cast<int>(_pages.items().size());
}

std::shared_ptr<platform::TableViewCell> NewsListViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<NewsCell>(NewsCell::kReuseIdentifier);
    if (!cell) {
        cell = NewsCell::create();
    }
    auto row = static_cast<std::size_t>(path.row);
    cell->setCellData(row < _pages.items().size() ? _pages.items()[row] : platform::Value::object());
    return cell;
}

std::optional<double> NewsListViewCon::heightForRowAtIndexPath(platform::TableView&,
                                                               const platform::IndexPath&) {
    return kRowHeight;
}

void NewsListViewCon::didSelectRowAtIndexPath(platform::TableView& tableView,
                                              const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
    auto row = static_cast<std::size_t>(path.row);
    if (row < _pages.items().size()) {
        openArticle(platform::Value(_pages.items()[row]));
    }
}

void NewsListViewCon::scrollViewDidScroll(platform::ScrollView& scrollView) {
    // The headline scroller reports here too; only the list drives the header.
    if (&scrollView == _listTableView.get()) {
        _refreshCycle->scrollViewDidScroll(scrollView);
    }
}

void NewsListViewCon::scrollViewDidEndDragging(platform::ScrollView& scrollView, bool /*willDecelerate*/) {
    if (&scrollView == _listTableView.get()) {
        _refreshCycle->scrollViewDidEndDragging(scrollView);
    }
}

void NewsListViewCon::scrollViewDidEndDecelerating(platform::ScrollView& scrollView) {
    std::shared_ptr<platform::View> header = _listTableView ? _listTableView->tableHeaderView() : nullptr;
    if (!header || &scrollView != header->viewWithTag(kHeadScrollTag).get()) {
        return;
    }
    auto pages = std::dynamic_pointer_cast<platform::PageControl>(header->viewWithTag(kPageControlTag));
    double width = scrollView.frame().width();
    if (pages && width > 0) {
        pages->setCurrentPage(static_cast<int>(std::trunc(scrollView.contentOffset().x / width)));
    }
}
