#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <string>

namespace platform {
class Control;
class GestureRecognizer;
}  // namespace platform

// The base of the app's screens: draws the title bar (the navigation stacks hide the
// toolkit's own), applies the layout rules of newer systems, offers the loading,
// load-failure and empty-data views, and the two hooks screens override: back() and
// refreshData().
class BaseViewCon : public platform::ViewController {
public:
    // Tags of the state views and of the parts screens look up.
    static constexpr int kLoadingViewTag = 99999;
    static constexpr int kLoadFailViewTag = 10000;
    static constexpr int kNullDataViewTag = 10001;
    static constexpr int kLoadingIndicatorTag = 300;
    static constexpr int kFooterIndicatorTag = 5000;

    // Back styles (setBackStyle).
    static constexpr int kBackStyleNoBar = 0;
    static constexpr int kBackStyleBack = 1;
    static constexpr int kBackStyleClose = 2;
    static constexpr int kBackStyleTitleOnly = 3;

    static constexpr double kNavBarWidth = 320;
    static constexpr double kNavBarHeight = 65;     // systems from version 7
    static constexpr double kOldNavBarHeight = 45;  // older systems
    static constexpr double kNavItemTop = 28;
    static constexpr double kOldNavItemTop = 8;
    static constexpr double kBackButtonTop = 21;
    static constexpr double kOldBackButtonTop = 1;

    explicit BaseViewCon(std::string nibName);
    std::string className() const override { return "BaseViewCon"; }

    void viewDidLoad() override;
    void viewDidUnload() override;
    void didReceiveMemoryWarning() override;
    // The invisible back button of the title bar while the bar shows.
    std::shared_ptr<platform::Control> backControl() const override;

    // Builds the title bar and adds it to the screen's view.
    void initNavView();
    // Stores the style and shows or hides the parts of the bar; the bar need not exist yet.
    void setBackStyle(int style);
    // A title set before the view loads shows once the bar is built.
    void setNavigationTitle(std::string title);

    // New state views for the rectangle; the caller adds them.
    std::shared_ptr<platform::View> setUpLoadingView(platform::Rect frame, std::string text);
    std::shared_ptr<platform::View> setLoadingFailView(platform::Rect frame);
    std::shared_ptr<platform::View> setUpNullDataView(platform::Rect frame, std::string text);
    // Adds the load-failure view, or brings the one already there to the front.
    void showRequestFailedView(platform::Rect frame);
    // A request succeeded: the loading and load-failure views go, and the list's
    // load-more indicator stops. `listView` may be null.
    void requestSucLoadingTag(platform::View* listView);
    // A request failed: the loading view goes, and the list's load-more indicator stops.
    void requestFailedLoadingTag(platform::View* listView);
    void removeNullDataView(platform::View& view);

    // The title bar's back button; screens override it, as a rule to pop themselves.
    virtual void back(platform::Control* sender);
    // A tap on the load-failure view (the tap recogniser is the sender); screens that
    // show that view override it to load again.
    virtual void refreshData(platform::GestureRecognizer* sender);

    const std::string& companyId() const { return companyId_; }
    void setCompanyId(std::string companyId) { companyId_ = std::move(companyId); }
    int navFrameStyle() const { return navFrameStyle_; }
    void setNavFrameStyle(int style) { navFrameStyle_ = style; }

    // Height of the title bar on the running system, where a screen's content starts.
    static double navBarHeight();

protected:
    std::shared_ptr<platform::View> baseNavView;
    std::shared_ptr<platform::ImageView> baseNavBjImg;
    std::shared_ptr<platform::ImageView> baseNavCloseImg;
    std::shared_ptr<platform::View> baseNavBackView;
    std::shared_ptr<platform::ImageView> baseNavBackImg;
    std::shared_ptr<platform::Label> baseNavBackLab;
    std::shared_ptr<platform::Label> baseNavTitleLab;
    platform::Value dataDic = platform::Value::object();
    // The invisible button over the back arrow that sends back().
    std::shared_ptr<platform::Button> baseNavBackButton;

private:
    // The view whose subviews hold a list's load-more footer.
    static platform::View* footerOf(platform::View* listView);
    void stopFooterIndicator(platform::View* listView);
    void removeSubviewsWithTag(int tag);

    std::string companyId_;
    std::string navigationTitle_;
    int navFrameStyle_ = kBackStyleBack;
};
