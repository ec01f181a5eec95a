#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/TableViewDelegate.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class ProgressHUD;
class RequestHelp;

// The courses matching one search (a key, and optionally a search category), in
// pages of ten; a row opens the course. A search that finds nothing closes the
// screen by itself.
class SearchResultViewCon : public BaseViewCon,
                            public platform::TableViewDataSource,
                            public platform::TableViewDelegate {
public:
    static constexpr double kRowHeight = 85;
    // How long the toast of an empty result shows before the screen closes.
    static constexpr double kEmptyCloseDelay = 0.8;

    explicit SearchResultViewCon(std::string nibName = "SearchResultViewCon");
    ~SearchResultViewCon() override;
    std::string className() const override { return "SearchResultViewCon"; }

    // Set before the screen is pushed.
    const std::string& keyWords() const { return _keyWords; }
    void setKeyWords(std::string keyWords) { _keyWords = std::move(keyWords); }
    // Empty for a search over everything.
    const std::string& searchId() const { return _searchId; }
    void setSearchId(std::string searchId) { _searchId = std::move(searchId); }
    const std::string& searchTitle() const { return _searchTitle; }
    void setSearchTitle(std::string searchTitle) { _searchTitle = std::move(searchTitle); }

    void viewDidLoad() override;
    void getConnection(int page);
    void createUIData(std::string_view body);
    void loadMore();
    void back(platform::Control* sender) override;

    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;

    // What the screen shows, for tests.
    const std::shared_ptr<platform::TableView>& listTableV() const { return _listTableV; }
    const std::shared_ptr<ProgressHUD>& progressHUD() const { return hud; }
    const platform::Value& resultList() const { return _resultList; }
    int nowPage() const { return _nowPage; }

private:
    void buildInterface();
    std::shared_ptr<SearchResultViewCon> self();
    void replied(const std::string& body);
    void requestFailed();
    void stopFooterIndicator();

    std::string _keyWords;
    std::string _searchId;
    std::string _searchTitle;
    std::shared_ptr<platform::TableView> _listTableV;
    std::shared_ptr<ProgressHUD> hud;
    int _nowPage = 1;
    // The page before a "加载更多" raised it, until that request ends.
    std::optional<int> _pageBeforeLoadMore;
    platform::Value _resultList = platform::Value::array();
    std::shared_ptr<RequestHelp> _dataRequest;
};
