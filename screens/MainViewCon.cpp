#include "screens/MainViewCon.h"

#include "components/BrandColor.h"
#include "components/RefreshTableHeaderView.h"
#include "imageloader/ImageViewWebCache.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/image/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PageControl.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseListViewCon.h"
#include "screens/MainPageCell.h"
#include "screens/WebViewController.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"
#include "storage/CacheFreshness.h"

#include <fmt/format.h>

namespace {

// A member of a reply that must be an array, or an empty one.
platform::Value arrayForKey(const platform::Value& reply, std::string_view key) {
    const platform::Value* found = platform::Json::find(reply, key);
    return found && found->is_array() ? *found : platform::Value::array();
}

}  // namespace

MainViewCon::MainViewCon(std::string nibName) : platform::ViewController(std::move(nibName)) {}


void MainViewCon::buildHeader() {
    const bool newerSystem = platform::Application::shared().systemVersionNumber() >= 7.0;
    const double height = newerSystem ? 65 : 45;
    const double itemTop = newerSystem ? 28 : 8;
    _headerView = platform::View::create(platform::Rect::make(0, 0, 320, height));
    _headerView->setBackgroundColor(brandColor());
    _headerView->setAutoresizingMask(platform::FlexibleWidth);
    auto title = platform::View::create<platform::Label>(platform::Rect::make(70, itemTop, 180, 30));
    title->setText("首页");
    title->setTextAlignment(platform::TextAlignment::Center);
    title->setTextColor(platform::Color::white());
    title->setFont(platform::Font::systemFont(17));
    _headerView->addSubview(title);
    view()->addSubview(_headerView);
    if (newerSystem) {
        platform::Application::shared().setStatusBarStyle(platform::StatusBarStyle::LightContent);
    }
}

void MainViewCon::viewDidLoad() {
    buildHeader();
    auto self = platform::sharedSelf(this);
    const platform::Rect bounds = view()->bounds();
    const double top = _headerView->frame().height();
    _listTableView = platform::View::create<platform::TableView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _listTableView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _listTableView->setSeparatorStyle(platform::TableViewCellSeparatorStyle::None);
    _listTableView->setBackgroundColor(platform::Color::white());
    _listTableView->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self));
    _listTableView->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self));
    view()->addSubview(_listTableView);

    _refreshCycle.attach(_listTableView, bounds.width());
    std::weak_ptr<MainViewCon> weak = self;
    _refreshCycle.setOnStart([weak] {
        if (auto strong = weak.lock()) {
            strong->reloadTableViewDataSource();
        }
    });
    initData();
}

void MainViewCon::viewWillAppear(bool /*animated*/) {
    isRefreshData();
}

void MainViewCon::initData() {
    if (!_dataList.is_array()) {
        _dataList = platform::Value::array();
    }
    if (!_adList.is_array()) {
        _adList = platform::Value::array();
    }
    if (auto stored = CacheFreshness::readCachedReply(kCacheFile)) {
        createUIData(*stored);
    }
}

void MainViewCon::isRefreshData() {
    if (!isViewLoaded() || _refreshCycle.reloading()) {
        return;
    }
    if (CacheFreshness::needsRefresh(kRefreshTimeKey)) {
        _refreshCycle.startProgrammatically();
    }
}

void MainViewCon::reloadTableViewDataSource() {
    std::weak_ptr<MainViewCon> weak = platform::sharedSelf(this);
    _doneLoadingTimer = platform::RunLoop::main().schedule(RefreshCycle::kReloadDelay, [weak] {
        if (auto strong = weak.lock()) {
            strong->doneLoadingTableViewData();
        }
    });
}

void MainViewCon::doneLoadingTableViewData() {
    dataSourceDidFinishLoadingNewData();
    getConnection();
}

void MainViewCon::dataSourceDidFinishLoadingNewData() {
    _refreshCycle.dataSourceDidFinishLoadingNewData();
}

void MainViewCon::getConnection() {
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    // The request keeps the screen alive until its reply; the transport lets go of
    // both callbacks once one has run.
    auto self = platform::sharedSelf(this);
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::homePage(),
        [self](const std::string& body) { self->handleReply(body); },
        [](const platform::HttpError&) { platform::log("加载出错"); });
}

void MainViewCon::handleReply(const std::string& body) {
    createUIData(body);
    // The moment moves on whatever came back, so a failing service is not asked again at once,
    // but only a good reply replaces the page kept for the next start.
    CacheFreshness::markRefreshed(kRefreshTimeKey);
    if (platform::Json::isValidUtf8(body)) {
        platform::logf("首页请求数据: {}", body);
        if (ServiceReply::isSuccessfulBody(body)) {
            CacheFreshness::writeCachedReply(kCacheFile, body);
        }
    }
}

void MainViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    const auto reply = ServiceReply::parse(body);
    platform::logf("首页获取数据 status is: {}",
                   platform::Json::description(reply ? platform::Json::find(*reply, "result") : nullptr));
    if (!reply || !ServiceReply::isSuccess(*reply)) {
        return;
    }
    _dataList = arrayForKey(*reply, "dataList");
    _adList = arrayForKey(*reply, "adList");
    if (_listTableView) {
        _listTableView->setTableHeaderView(_adList.empty() ? nullptr : getHeadAdviseView());
    }
    platform::logf("_dataList is: {}", _dataList.size());
    if (_listTableView) {
        _listTableView->reloadData();
    }
}

std::shared_ptr<platform::View> MainViewCon::getHeadAdviseView() {
    if (_adList.empty()) {
        return nullptr;
    }
    auto self = platform::sharedSelf(this);
    auto strip = platform::View::create(platform::Rect::make(0, 0, kAdWidth, kAdHeight));
    strip->setBackgroundColor(platform::Color::clear());

    const auto count = static_cast<int>(_adList.size());
    auto scroller =
        platform::View::create<platform::ScrollView>(platform::Rect::make(0, 0, kAdWidth, kAdHeight));
    scroller->setPagingEnabled(true);
    scroller->setShowsHorizontalScrollIndicator(false);
    scroller->setShowsVerticalScrollIndicator(false);
    scroller->setBounces(false);
    scroller->setTag(kAdScrollTag);
    scroller->setDelegate(std::static_pointer_cast<platform::ScrollViewDelegate>(
        std::static_pointer_cast<platform::TableViewDelegate>(self)));
    scroller->setContentSize(platform::Size{kAdWidth * count, kAdHeight});
    strip->addSubview(scroller);

    auto placeholder = platform::Image::named(kAdPlaceholder);
    for (int i = 0; i < count; ++i) {
        const platform::Value& ad = _adList[static_cast<std::size_t>(i)];
        const platform::Rect frame = platform::Rect::make(kAdWidth * i, 0, kAdWidth, kAdHeight);
        auto picture = platform::View::create<platform::ImageView>(frame);
        picture->setBackgroundColor(platform::Color::clear());
        ImageViewWebCache::setImageWithURL(picture, platform::Json::stringForKey(ad, "image").value_or(""),
                                           placeholder);
        scroller->addSubview(picture);
        auto button = platform::View::create<platform::Button>(frame);
        button->setBackgroundColor(platform::Color::clear());
        button->setTag(kAdButtonTagBase + i);
        button->addTarget(self, &MainViewCon::topAdClicked, platform::TouchUpInside);
        scroller->addSubview(button);
    }

    auto pages = platform::View::create<platform::PageControl>(platform::Rect::make(230, 130, 80, 20));
    pages->setBackgroundColor(platform::Color::clear());
    pages->setTag(kPageControlTag);
    pages->setNumberOfPages(count);
    strip->addSubview(pages);
    return strip;
}

int MainViewCon::numberOfRowsInSection(platform::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(_dataList.size());
}

std::shared_ptr<platform::TableViewCell> MainViewCon::cellForRowAtIndexPath(platform::TableView& tableView,
                                                                            const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCell<MainPageCell>(MainPageCell::kReuseIdentifier);
    if (!cell) {
        cell = MainPageCell::create();
    }
    auto self = platform::sharedSelf(this);
    // A reused cell keeps the action it got for its first row: replace it, so one tap
    // opens one screen.
    cell->moreBtn()->removeTarget(self.get());
    cell->moreBtn()->setTag(kMoreButtonTagBase + path.row);
    cell->moreBtn()->addTarget(self, &MainViewCon::MoreBtnClicked, platform::TouchUpInside);
    const auto row = static_cast<std::size_t>(path.row);
    const platform::Value& section = row < _dataList.size() ? _dataList[row] : platform::Value::object();
    cell->setCellDatta(section, std::static_pointer_cast<contentClickedDelegate>(self), path);
    return cell;
}

std::optional<double> MainViewCon::heightForRowAtIndexPath(platform::TableView& /*tableView*/,
                                                           const platform::IndexPath& /*path*/) {
    return kRowHeight;
}

void MainViewCon::didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
}

void MainViewCon::scrollViewDidScroll(platform::ScrollView& scrollView) {
    if (&scrollView == _listTableView.get()) {
        _refreshCycle.scrollViewDidScroll(scrollView);
    }
}

void MainViewCon::scrollViewDidEndDragging(platform::ScrollView& scrollView, bool /*willDecelerate*/) {
    if (&scrollView == _listTableView.get()) {
        _refreshCycle.scrollViewDidEndDragging(scrollView);
    }
}

void MainViewCon::scrollViewDidEndDecelerating(platform::ScrollView& scrollView) {
    const auto& strip = _listTableView ? _listTableView->tableHeaderView() : nullptr;
    if (!strip || strip->viewWithTag(kAdScrollTag).get() != &scrollView) {
        return;
    }
    const double width = scrollView.frame().width();
    if (width <= 0) {
        return;
    }
    const auto offset = static_cast<int>(scrollView.contentOffset().x);
    if (auto pages = std::dynamic_pointer_cast<platform::PageControl>(strip->viewWithTag(kPageControlTag))) {
        pages->setCurrentPage(static_cast<int>(offset / width));
    }
}

void MainViewCon::pushScreen(const std::shared_ptr<platform::ViewController>& screen) {
    screen->setHidesBottomBarWhenPushed(true);
    if (auto* nav = navigationController()) {
        nav->pushViewController(screen, true);
    }
}

void MainViewCon::contentImageClicked(std::size_t code) {
    contentImageClickedAt(code / MainPageCell::kCodeStride, code % MainPageCell::kCodeStride);
}

void MainViewCon::contentImageClickedAt(std::size_t row, std::size_t index) {
    if (row >= _dataList.size()) {
        return;
    }
    const platform::Value* courses = platform::Json::find(_dataList[row], "subList");
    if (!courses || !courses->is_array() || index >= courses->size()) {
        return;
    }
    auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
    detail->setDetailData((*courses)[index]);
    pushScreen(detail);
}

void MainViewCon::MoreBtnClicked(platform::Control& sender) {
    const int index = sender.tag() - kMoreButtonTagBase;
    if (index < 0 || static_cast<std::size_t>(index) >= _dataList.size()) {
        return;
    }
    const platform::Value& section = _dataList[static_cast<std::size_t>(index)];
    auto list = std::make_shared<CourseListViewCon>("CourseListViewCon");
    list->set_topTitle(platform::Json::stringForKey(section, "title").value_or(""));
    list->set_courseCateID(platform::Json::description(platform::Json::find(section, "id")));
    pushScreen(list);
}

void MainViewCon::topAdClicked(platform::Control& sender) {
    const int index = sender.tag() - kAdButtonTagBase;
    if (index < 0 || static_cast<std::size_t>(index) >= _adList.size()) {
        return;
    }
    const platform::Value& ad = _adList[static_cast<std::size_t>(index)];
    auto page = std::make_shared<WebViewController>("WebViewController");
    page->set_webUrl(fmt::format("{}?docId={}&from=iOS",
                                 platform::Json::description(platform::Json::find(ad, "url")),
                                 platform::Json::description(platform::Json::find(ad, "id"))));
    if (auto title = platform::Json::stringForKey(ad, "detailTitle")) {
        page->setNavTitle(*title);
    }
    pushScreen(page);
}
