#pragma once

#include "components/SlideSwitchViewDelegate.h"
#include "platform/foundation/Json.h"
#include "screens/BaseViewCon.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class RequestHelp;
class SlideSwitchView;

// The tab root for the news: one switcher tab per news channel, each page a
// channel's article list. The channel list is cached on disk and fetched again
// at an appearance when it is older than 300 seconds.
class NewsViewCon : public BaseViewCon, public SlideSwitchViewDelegate {
public:
    static constexpr const char* kCategoryFile = "newsCate.plist";
    static constexpr const char* kRefreshTimeKey = "newsCateArray";

    explicit NewsViewCon(std::string nibName = "NewsViewCon");
    std::string className() const override { return "NewsViewCon"; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Builds the tabs from the cached channel list.
    void initData();
    // Asks for the channel list when it is due.
    void doRefresh();
    void getConnection();

    // The switcher's questions.
    std::size_t numberOfTab(SlideSwitchView& view) override;
    std::string titleOfIndex(std::size_t index) override;
    std::shared_ptr<platform::ViewController> viewOfTab(SlideSwitchView& view, std::size_t index) override;
    void didselectTab(SlideSwitchView& view, std::size_t index) override;

    const std::shared_ptr<SlideSwitchView>& slideSwitchView() const { return _slideSwitchView; }
    const platform::Value& categoryList() const { return _categoryList; }
    std::shared_ptr<RequestHelp> dataRequest() const { return _dataRequest; }

private:
    void buildInterface();
    void replied(std::string_view body);
    // Clears the switcher's built flag and builds its tabs and pages again.
    void rebuildTabs();

    std::shared_ptr<SlideSwitchView> _slideSwitchView;
    std::shared_ptr<RequestHelp> _dataRequest;
    platform::Value _categoryList = platform::Value::array();
};
