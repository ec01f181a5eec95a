#include "screens/NewsListViewCon.h"

#include "components/RefreshCycle.h"
#include "screens/NewsCell.h"
#include "service/RequestHelp.h"

NewsListViewCon::NewsListViewCon(std::string nibName) : platform::ViewController(std::move(nibName)) {}
NewsListViewCon::~NewsListViewCon() = default;

std::string NewsListViewCon::preferenceKey() const {
    return "newsCateID" + _newsCateID;
}

std::string NewsListViewCon::cacheFileName() const {
    return preferenceKey() + ".plist";
}

void NewsListViewCon::viewDidLoad() {}
void NewsListViewCon::initData() {}
void NewsListViewCon::doRefresh() {}
void NewsListViewCon::getConnection(int) {}
void NewsListViewCon::createUIData(std::string_view) {}
void NewsListViewCon::loadMore() {}
std::shared_ptr<platform::View> NewsListViewCon::getHeadAdviseView() {
    return nullptr;
}
void NewsListViewCon::topAdClicked(platform::Control&) {}
void NewsListViewCon::reloadTableViewDataSource() {}
void NewsListViewCon::doneLoadingTableViewData() {}
void NewsListViewCon::dataSourceDidFinishLoadingNewData() {}

int NewsListViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return static_cast<int>(_dataList.size());
}

std::shared_ptr<platform::TableViewCell> NewsListViewCon::cellForRowAtIndexPath(platform::TableView&,
                                                                                const platform::IndexPath&) {
    return NewsCell::create();
}

std::optional<double> NewsListViewCon::heightForRowAtIndexPath(platform::TableView&,
                                                               const platform::IndexPath&) {
    return kRowHeight;
}

void NewsListViewCon::didSelectRowAtIndexPath(platform::TableView&, const platform::IndexPath&) {}
void NewsListViewCon::scrollViewDidScroll(platform::ScrollView&) {}
void NewsListViewCon::scrollViewDidEndDragging(platform::ScrollView&, bool) {}
void NewsListViewCon::scrollViewDidEndDecelerating(platform::ScrollView&) {}
std::shared_ptr<RefreshTableHeaderView> NewsListViewCon::refreshHeaderView() const {
    return nullptr;
}
bool NewsListViewCon::reloading() const {
    return false;
}
void NewsListViewCon::buildInterface() {}
std::shared_ptr<NewsListViewCon> NewsListViewCon::self() {
    return std::static_pointer_cast<NewsListViewCon>(shared_from_this());
}
void NewsListViewCon::replied(const std::string&) {}
void NewsListViewCon::requestFailed() {}
void NewsListViewCon::stopFooterIndicator() {}
void NewsListViewCon::openArticle(const platform::Value&) {}
