#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <string>
#include <vector>

// The student centre: a fixed menu of the entries to the user's favourites and
// downloads, the login/logout row, the cellular-download switch, clearing all
// videos and the service's pages. It acts on local state only.
class StuCenterViewCon : public BaseViewCon,
                         public platform::TableViewDataSource,
                         public platform::TableViewDelegate,
                         public platform::AlertViewDelegate {
public:
    static constexpr int kRowCount = 7;
    static constexpr int kAllowCellularAlertTag = 5000;
    static constexpr int kForbidCellularAlertTag = 6000;
    static constexpr int kLogoutAlertTag = 8000;
    static constexpr int kClearVideosAlertTag = 9000;
    static constexpr const char* kNotWifiDownKey = "notWifiDown";

    explicit StuCenterViewCon(std::string nibName = "StuCenterViewCon");
    std::string className() const override { return "StuCenterViewCon"; }

    void viewDidLoad() override;
    void UserLoginSuc();

    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;
    void clickedButtonAtIndex(platform::AlertView& alert, int buttonIndex) override;

    void courseFavor(platform::Control& sender);
    void studyRecord(platform::Control& sender);
    void switchChanged(platform::Control& sender);
    // The feedback form, offered by the title bar's button.
    void openFeedbackForm(platform::Control& sender);

    std::shared_ptr<platform::TableView> listTable() const { return _listTableV; }

private:
    // The interface description: the menu list and its three fixed rows.
    void buildInterface();
    void showQuestion(const char* title, const char* message, const char* confirm, int tag);
    void pushLogin();
    void push(const std::shared_ptr<platform::ViewController>& screen);
    void openPage(const std::string& url, const std::string& title);
    void refreshLoginRow();

    std::shared_ptr<platform::TableView> _listTableV;
    std::shared_ptr<platform::TableViewCell> cell0;
    std::shared_ptr<platform::TableViewCell> cell2;
    std::shared_ptr<platform::Label> loginLabel;
    std::shared_ptr<platform::Label> userNameLabel;
    std::shared_ptr<platform::TableViewCell> cell3;
    std::shared_ptr<platform::Switch> _switch;
    std::shared_ptr<platform::Button> _feedbackFormBtn;
    std::vector<std::string> _moreArray;
    platform::Observation _loginObservation;
};
