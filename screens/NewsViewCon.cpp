#include "screens/NewsViewCon.h"

#include "components/SlideSwitchView.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SharedSelf.h"
#include "screens/NewsListViewCon.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"
#include "storage/CacheFreshness.h"

NewsViewCon::NewsViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void NewsViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(3);
    setNavigationTitle("资讯");
    buildInterface();
    initData();
}

void NewsViewCon::buildInterface() {
    double top = navBarHeight();
    platform::Rect bounds = view()->bounds();
    _slideSwitchView = platform::View::create<SlideSwitchView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _slideSwitchView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _slideSwitchView->setTabItemNormalColor(platform::Color::white());
    _slideSwitchView->setTabItemSelectedColor(platform::Color::rgb255(61, 159, 210));
    _slideSwitchView->setSlideSwitchViewDelegate(std::static_pointer_cast<SlideSwitchViewDelegate>(
        platform::sharedSelf(this)));
    view()->addSubview(_slideSwitchView);
}

void NewsViewCon::viewWillAppear(bool animated) {
    BaseViewCon::viewWillAppear(animated);
    doRefresh();
}

void NewsViewCon::initData() {
    auto cached = platform::PropertyList::read(CacheFreshness::cacheFilePath(kCategoryFile));
    _categoryList = cached && cached->is_array() ? *cached : platform::Value::array();
    platform::logf("缓存数组个数:{}", _categoryList.size());
    if (!_categoryList.empty()) {
        rebuildTabs();
    }
}

void NewsViewCon::doRefresh() {
    if (CacheFreshness::needsRefresh(kRefreshTimeKey)) {
        getConnection();
    }
}

void NewsViewCon::getConnection() {
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    // The request keeps the screen alive until its answer has been handled.
    auto self = platform::sharedSelf(this);
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::newsChannels(),
        [self](const std::string& body) { self->replied(body); },
        [](const platform::HttpError&) { platform::log("加载出错"); });
}

void NewsViewCon::replied(std::string_view body) {
    auto reply = ServiceReply::parse(body);
    platform::logf("请求资讯栏目返回数据;{}",
                   reply ? platform::Json::description(*reply) : std::string("(null)"));
    _categoryList = platform::Value::array();
    if (const platform::Value* channels = reply ? platform::Json::find(*reply, "category") : nullptr;
        channels && channels->is_array()) {
        for (const auto& channel : *channels) {
            _categoryList.push_back(channel);
        }
    }
    if (_categoryList.empty()) {
        return;
    }
    rebuildTabs();
    CacheFreshness::markRefreshed(kRefreshTimeKey);
    platform::PropertyList::writeAtomically(_categoryList, CacheFreshness::cacheFilePath(kCategoryFile));
}

void NewsViewCon::rebuildTabs() {
    if (!_slideSwitchView) {
        return;
    }
    _slideSwitchView->setIsBuildUI(false);
    _slideSwitchView->buildUI();
}

std::size_t NewsViewCon::numberOfTab(SlideSwitchView& /*view*/) {
    return _categoryList.size();
}

std::string NewsViewCon::titleOfIndex(std::size_t index) {
    if (index >= _categoryList.size()) {
        return {};
    }
    return platform::Json::stringForKey(_categoryList[index], "title").value_or("");
}

std::shared_ptr<platform::ViewController> NewsViewCon::viewOfTab(SlideSwitchView& /*view*/,
                                                                 std::size_t index) {
    if (index >= _categoryList.size()) {
        return nullptr;
    }
    const platform::Value& channel = _categoryList[index];
    auto page = std::make_shared<NewsListViewCon>("NewsListViewCon");
    page->setTitle(titleOfIndex(index));
    // An id sent as a number names the same channel as its decimal text.
    page->setNewsCateID(platform::Json::description(platform::Json::find(channel, "id")));
    page->setM_parentViewCon(shared_from_this());
    return page;
}

void NewsViewCon::didselectTab(SlideSwitchView& view, std::size_t index) {
    const auto& pages = view.viewArray();
    if (index >= pages.size()) {
        return;
    }
    if (auto page = std::dynamic_pointer_cast<NewsListViewCon>(pages[index])) {
        page->doRefresh();
    }
}
