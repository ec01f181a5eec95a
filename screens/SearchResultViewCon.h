#pragma once

#include "components/PageLoader.h"
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
    void createUIData(std::string_view body);
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
    const platform::Value& resultList() const { return _pages.items(); }
    int nowPage() const { return _pages.nowPage(); }

private:
    void buildInterface();
    std::shared_ptr<SearchResultViewCon> self();
    void pageReplied(const std::string& body);
    void pageFailed();

    std::string _keyWords;
    std::string _searchId;
    std::string _searchTitle;
    std::shared_ptr<platform::TableView> _listTableV;
    std::shared_ptr<ProgressHUD> hud;
    PageLoader _pages;
};
