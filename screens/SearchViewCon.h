#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/TextField.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RequestHelp;

// The tab root for the course search: the search field with its button, the panel
// of earlier searches while the field is edited, and a grid of the keys the service
// suggests (cached on disk, fetched again at an appearance when older than 300 s).
class SearchViewCon : public BaseViewCon,
                      public platform::TextFieldDelegate,
                      public platform::TableViewDataSource,
                      public platform::TableViewDelegate {
public:
    static constexpr const char* kKeysFile = "mode6.plist";
    static constexpr const char* kRefreshTimeKey = "SearchCateRefreshTime";
    static constexpr const char* kHistoryCellIdentifier = "HistoryCell";
    static constexpr double kHistoryRowHeight = 40;
    // The grid of suggested keys.
    static constexpr double kKeyLeft = 15;
    static constexpr double kKeyTop = 10;
    static constexpr double kKeyColumnStep = 100;
    static constexpr double kKeyRowStep = 65;
    static constexpr double kKeyWidth = 90;
    static constexpr double kKeyHeight = 50;

    explicit SearchViewCon(std::string nibName = "SearchViewCon");
    std::string className() const override { return "SearchViewCon"; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Shows the cached suggested keys.
    void initData();
    // Asks for the suggested keys when they are due.
    void isRefreshData();
    void getConnection();
    void createUIData(std::string_view body);
    // Lays the keys out as buttons in rows of three.
    void setSearchKey(const platform::Value& keys);
    // Reloads the history panel from the history file.
    void setHistorySearchData();

    void searchKeyClicked(platform::Control& sender);
    void defaultSearchKeyClicked(platform::Control& sender);
    void clearHistory(platform::Control& sender);
    void tapGesture(platform::GestureRecognizer& sender);

    bool textFieldShouldBeginEditing(platform::TextField& field) override;
    void textFieldDidEndEditing(platform::TextField& field) override;
    bool textFieldShouldReturn(platform::TextField& field) override;

    // The history list.
    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;

    // What the screen shows, for tests.
    const std::shared_ptr<platform::TextField>& searchText() const { return _searchText; }
    const std::shared_ptr<platform::Button>& searchButton() const { return _searchButton; }
    const std::shared_ptr<platform::ScrollView>& keyArea() const { return _scrollView; }
    const std::shared_ptr<platform::View>& historyPanel() const { return _historyBjView; }
    const std::shared_ptr<platform::TableView>& historyList() const { return _searchHistoryV; }
    const platform::Value& historyArr() const { return _historyArr; }
    const platform::Value& defaultSearchArr() const { return _defaultSearchArr; }

private:
    void buildInterface();
    void replied(const std::string& body);
    // Opens the results of a search over everything for the text.
    void pushResults(const std::string& text);

    std::shared_ptr<platform::TextField> _searchText;
    std::shared_ptr<platform::Button> _searchButton;
    std::shared_ptr<platform::ScrollView> _scrollView;
    std::vector<std::shared_ptr<platform::Button>> _keyButtons;
    std::shared_ptr<platform::View> _historyBjView;
    std::shared_ptr<platform::TableView> _searchHistoryV;
    platform::Value _historyArr = platform::Value::array();
    platform::Value _defaultSearchArr = platform::Value::array();
    std::shared_ptr<RequestHelp> _dataRequest;
};
