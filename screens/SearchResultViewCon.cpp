#include "screens/SearchResultViewCon.h"

#include "components/ProgressHUD.h"
#include "platform/ui/NavigationController.h"
#include "service/RequestHelp.h"

SearchResultViewCon::SearchResultViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}
SearchResultViewCon::~SearchResultViewCon() = default;

void SearchResultViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setNavigationTitle(_searchTitle);
}

void SearchResultViewCon::getConnection(int) {}
void SearchResultViewCon::createUIData(std::string_view) {}
void SearchResultViewCon::loadMore() {}

void SearchResultViewCon::back(platform::Control*) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}

int SearchResultViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return static_cast<int>(_resultList.size());
}

std::shared_ptr<platform::TableViewCell> SearchResultViewCon::cellForRowAtIndexPath(
    platform::TableView&, const platform::IndexPath&) {
    return platform::View::create<platform::TableViewCell>();
}

std::optional<double> SearchResultViewCon::heightForRowAtIndexPath(platform::TableView&,
                                                                   const platform::IndexPath&) {
    return kRowHeight;
}

void SearchResultViewCon::didSelectRowAtIndexPath(platform::TableView&, const platform::IndexPath&) {}
void SearchResultViewCon::buildInterface() {}
std::shared_ptr<SearchResultViewCon> SearchResultViewCon::self() {
    return std::static_pointer_cast<SearchResultViewCon>(shared_from_this());
}
void SearchResultViewCon::replied(const std::string&) {}
void SearchResultViewCon::requestFailed() {}
void SearchResultViewCon::stopFooterIndicator() {}
