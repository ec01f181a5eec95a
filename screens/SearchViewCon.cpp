#include "screens/SearchViewCon.h"

#include "components/BrandColor.h"
#include "components/Toast.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/image/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/SearchResultViewCon.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"
#include "storage/CacheFreshness.h"
#include "storage/FileManagerUtil.h"

#include <array>
#include <cstddef>

namespace {

const platform::Color kFieldBorder = platform::Color::rgb255(200, 205, 210);

// The white space and line breaks a person may type around a search text: ASCII
// ones, and the Unicode spaces a Chinese keyboard produces (the ideographic space).
std::size_t whiteSpaceLengthAt(const std::string& text, std::size_t at) {
    auto byte = static_cast<unsigned char>(text[at]);
    if (byte == ' ' || (byte >= '\t' && byte <= '\r')) {
        return 1;
    }
    static const std::array<const char*, 18> kWide = {
        "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005",
        "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u3000"};
    for (const char* space : kWide) {
        std::string_view candidate(space);
        if (text.compare(at, candidate.size(), candidate) == 0) {
            return candidate.size();
        }
    }
    return 0;
}

// Whether nothing but white space and line breaks is left of the text.
bool isBlank(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t length = whiteSpaceLengthAt(text, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

}  // namespace

SearchViewCon::SearchViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void SearchViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(3);
    setNavigationTitle("找课程");
    buildInterface();
    initData();
}

void SearchViewCon::viewWillAppear(bool animated) {
    BaseViewCon::viewWillAppear(animated);
    isRefreshData();
}

void SearchViewCon::buildInterface() {
    auto self = platform::sharedSelf(this);
    double top = navBarHeight();
    platform::Rect bounds = view()->bounds();

    _searchText = platform::View::create<platform::TextField>(platform::Rect::make(10, top + 10, 235, 36));
    _searchText->setPlaceholder("请输入课程名称或关键字");
    _searchText->setFont(platform::Font::systemFont(15));
    _searchText->setBorderStyle(platform::TextBorderStyle::RoundedRect);
    _searchText->setBackgroundColor(platform::Color::white());
    _searchText->setBorderWidth(1);
    _searchText->setBorderColor(kFieldBorder);
    _searchText->setCornerRadius(5);
    _searchText->setDelegate(std::static_pointer_cast<platform::TextFieldDelegate>(self));
    view()->addSubview(_searchText);

    _searchButton = platform::View::create<platform::Button>(platform::Rect::make(253, top + 10, 57, 36));
    _searchButton->setTitle("搜索", platform::ControlStateNormal);
    _searchButton->setTitleColor(platform::Color::white(), platform::ControlStateNormal);
    _searchButton->titleLabel()->setFont(platform::Font::boldSystemFont(15));
    _searchButton->setBackgroundColor(brandColor());
    _searchButton->setCornerRadius(5);
    _searchButton->addTarget(self, &SearchViewCon::searchKeyClicked, platform::TouchUpInside);
    view()->addSubview(_searchButton);

    platform::Rect below = platform::Rect::make(0, top + 56, bounds.width(), bounds.height() - top - 56);
    _scrollView = platform::View::create<platform::ScrollView>(below);
    _scrollView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _scrollView->setBackgroundColor(platform::Color::white());
    _scrollView->setShowsHorizontalScrollIndicator(false);
    view()->addSubview(_scrollView);
    // A tap beside the keys closes the keyboard; the key buttons keep their own taps.
    auto tap = std::make_shared<platform::TapGestureRecognizer>();
    tap->addTarget(self, &SearchViewCon::tapGesture);
    tap->setCancelsTouchesInView(false);
    _scrollView->addGestureRecognizer(tap);

    // The history panel lies over the keys while the field is edited.
    _historyBjView = platform::View::create(below);
    _historyBjView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _historyBjView->setBackgroundColor(platform::Color::white(0.97));
    _historyBjView->setHidden(true);
    view()->addSubview(_historyBjView);
    _searchHistoryV = platform::View::create<platform::TableView>(
        platform::Rect::make(0, 0, below.width(), below.height()));
    _searchHistoryV->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _searchHistoryV->setBackgroundColor(platform::Color::clear());
    _searchHistoryV->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self));
    _searchHistoryV->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self));
    _historyBjView->addSubview(_searchHistoryV);
}

void SearchViewCon::initData() {
    _historyArr = platform::Value::array();
    _defaultSearchArr = platform::Value::array();
    if (auto cached = CacheFreshness::readCachedReply(kKeysFile)) {
        createUIData(*cached);
    }
}

void SearchViewCon::isRefreshData() {
    if (CacheFreshness::needsRefresh(kRefreshTimeKey)) {
        getConnection();
    }
}

void SearchViewCon::getConnection() {
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    // The request keeps the screen alive until its answer has been handled.
    auto self = platform::sharedSelf(this);
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::searchKeys(),
        [self](const std::string& body) { self->replied(body); },
        [](const platform::HttpError&) { platform::log("加载出错"); });
}

void SearchViewCon::replied(const std::string& body) {
    createUIData(body);
    // Whatever the reply held, the service is not asked again within 300 seconds; only a good
    // reply replaces the keys kept for the next start.
    CacheFreshness::markRefreshed(kRefreshTimeKey);
    if (ServiceReply::isSuccessfulBody(body)) {
        CacheFreshness::writeCachedReply(kKeysFile, body);
    }
}

void SearchViewCon::createUIData(std::string_view body) {
    if (body.empty()) {
        return;
    }
    auto reply = ServiceReply::parse(body);
    platform::logf("backDic is: {}", reply ? platform::Json::description(*reply) : std::string("(null)"));
    if (!reply || !ServiceReply::isSuccess(*reply)) {
        return;
    }
    const platform::Value* keys = ServiceReply::dataList(*reply);
    if (!keys || keys->empty()) {
        return;
    }
    _defaultSearchArr = *keys;
    setSearchKey(_defaultSearchArr);
}

void SearchViewCon::setSearchKey(const platform::Value& keys) {
    if (!_scrollView) {
        return;
    }
    // The previous key buttons go, the first one (tag 0) included, so that no stale
    // button stays under the new grid.
    for (const auto& button : _keyButtons) {
        button->removeFromSuperview();
    }
    _keyButtons.clear();

    auto self = platform::sharedSelf(this);
    auto normal = platform::Image::named("search_bj.png");
    auto pressed = platform::Image::named("search_bj_clicked.png");
    int count = keys.is_array() ? static_cast<int>(keys.size()) : 0;
    for (int i = 0; i < count; ++i) {
        const int column = i % 3;
        const int row = i / 3;  // whole rows of three
        double x = kKeyLeft + kKeyColumnStep * column;
        double y = kKeyTop + kKeyRowStep * row;
        auto button =
            platform::View::create<platform::Button>(platform::Rect::make(x, y, kKeyWidth, kKeyHeight));
        const platform::Value& key = keys[static_cast<std::size_t>(i)];
        button->setTitle(platform::Json::stringForKey(key, "title").value_or(""),
                         platform::ControlStateNormal);
        button->titleLabel()->setFont(platform::Font::boldSystemFont(13));
        button->setTitleColor(brandColor(), platform::ControlStateNormal);
        button->setTitleColor(platform::Color::white(), platform::ControlStateHighlighted);
        button->setBackgroundImage(normal, platform::ControlStateNormal);
        button->setBackgroundImage(pressed, platform::ControlStateHighlighted);
        button->setTag(i);
        button->addTarget(self, &SearchViewCon::defaultSearchKeyClicked, platform::TouchUpInside);
        _scrollView->addSubview(button);
        _keyButtons.push_back(button);
    }
    const int fullRows = count / 3;  // the grid's height counts whole rows of three only
    double needed = 80 + kKeyRowStep * fullRows;
    if (needed > _scrollView->frame().height()) {
        _scrollView->setContentSize(platform::Size{320, needed});
    }
}

void SearchViewCon::defaultSearchKeyClicked(platform::Control& sender) {
    int index = sender.tag();
    if (index < 0 || static_cast<std::size_t>(index) >= _defaultSearchArr.size()) {
        return;
    }
    const platform::Value& key = _defaultSearchArr[static_cast<std::size_t>(index)];
    std::shared_ptr<BaseViewCon> next;
    if (platform::Json::stringForKey(key, "type") == "1") {
        auto results = std::make_shared<SearchResultViewCon>("SearchResultViewCon");
        std::string title = platform::Json::stringForKey(key, "title").value_or("");
        results->setKeyWords(title);
        results->setSearchId(platform::Json::stringForKey(key, "id").value_or(""));
        results->setSearchTitle(title);
        next = results;
    } else {
        auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
        detail->setDetailData(key);
        next = detail;
    }
    next->setHidesBottomBarWhenPushed(true);
    if (auto* stack = navigationController()) {
        stack->pushViewController(next, true);
    }
}

void SearchViewCon::searchKeyClicked(platform::Control&) {
    const std::string text = _searchText->text();
    if (isBlank(text)) {
        Toast::showToastWithText("请输入搜索内容!");
        return;
    }
    view()->endEditing();
    platform::Value item = {{"title", text}};
    if (FileManagerUtil::searchItem(item)) {
        setHistorySearchData();
    }
    pushResults(text);
}

void SearchViewCon::pushResults(const std::string& text) {
    auto results = std::make_shared<SearchResultViewCon>("SearchResultViewCon");
    results->setSearchTitle(text);
    results->setKeyWords(text);
    results->setHidesBottomBarWhenPushed(true);
    if (auto* stack = navigationController()) {
        stack->pushViewController(results, true);
    }
}

void SearchViewCon::setHistorySearchData() {
    _historyArr = FileManagerUtil::getHistorySearchArray().value_or(platform::Value::array());
    if (!_historyArr.is_array()) {
        _historyArr = platform::Value::array();
    }
    platform::logf("_history.count is: {}", _historyArr.size());
    if (!_historyArr.empty()) {
        auto footer = platform::View::create(platform::Rect::make(0, 0, 320, 40));
        footer->setBackgroundColor(platform::Color::clear());
        auto button = platform::View::create<platform::Button>(platform::Rect::make(120, 2, 80, 30));
        button->setTitle("清空历史", platform::ControlStateNormal);
        button->setTitleColor(platform::Color::black(), platform::ControlStateNormal);
        button->titleLabel()->setFont(platform::Font::systemFont(14));
        button->setBackgroundImage(platform::Image::named("clearHistory.png"), platform::ControlStateNormal);
        button->addTarget(platform::sharedSelf(this),
                          &SearchViewCon::clearHistory, platform::TouchUpInside);
        footer->addSubview(button);
        _searchHistoryV->setTableFooterView(footer);
    } else {
        _searchHistoryV->setTableFooterView(nullptr);
    }
    _searchHistoryV->reloadData();
}

void SearchViewCon::clearHistory(platform::Control&) {
    if (FileManagerUtil::clearHistorySearch()) {
        setHistorySearchData();
    }
}

void SearchViewCon::tapGesture(platform::GestureRecognizer&) {
    if (_searchText->isEditing()) {
        view()->endEditing();
    }
}

bool SearchViewCon::textFieldShouldBeginEditing(platform::TextField&) {
    setHistorySearchData();
    if (_historyBjView->isHidden()) {
        _historyBjView->setHidden(false);
    }
    return true;
}

void SearchViewCon::textFieldDidEndEditing(platform::TextField&) {
    if (!_historyBjView->isHidden()) {
        _historyBjView->setHidden(true);
    }
}

bool SearchViewCon::textFieldShouldReturn(platform::TextField& field) {
    field.resignFirstResponder();
    return true;
}

int SearchViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return static_cast<int>(_historyArr.size());
}

std::shared_ptr<platform::TableViewCell> SearchViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(kHistoryCellIdentifier);
    if (!cell) {
        cell = platform::View::create<platform::TableViewCell>(platform::CellStyle::Default,
                                                               kHistoryCellIdentifier);
        cell->setBackgroundColor(platform::Color::clear());
        cell->textLabel()->setFont(platform::Font::boldSystemFont(14));
    }
    auto row = static_cast<std::size_t>(path.row);
    cell->textLabel()->setText(
        row < _historyArr.size() ? platform::Json::stringForKey(_historyArr[row], "title").value_or("") : "");
    return cell;
}

std::optional<double> SearchViewCon::heightForRowAtIndexPath(platform::TableView&,
                                                             const platform::IndexPath&) {
    return kHistoryRowHeight;
}

void SearchViewCon::didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
    auto row = static_cast<std::size_t>(path.row);
    if (row >= _historyArr.size()) {
        return;
    }
    // A copy: the store below replaces the rows.
    platform::Value item = _historyArr[row];
    if (FileManagerUtil::searchItem(item)) {
        setHistorySearchData();
    }
    pushResults(platform::Json::stringForKey(item, "title").value_or(""));
}
