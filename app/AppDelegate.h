#pragma once

#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Window.h"

#include <memory>

class RequestHelp;

// The application's delegate: builds the window and the five-tab shell at launch,
// restores the session, and reports a usage count each time the app becomes active.
class AppDelegate : public platform::ApplicationDelegate {
public:
    // The window permits portrait and both landscape orientations (not upside down);
    // the tab shell narrows that to portrait for its screens.
    static constexpr unsigned kWindowOrientations = 26;

    bool didFinishLaunchingWithOptions(platform::Application& application) override;
    void applicationDidBecomeActive(platform::Application& application) override;
    unsigned supportedInterfaceOrientationsForWindow(platform::Application&, platform::Window*) override {
        return kWindowOrientations;
    }
    bool shouldAutorotate() const { return true; }

    // Sends "mode=1"; dropped by the transport while an earlier report is in flight.
    void countUserInfo();

    std::shared_ptr<platform::Window> window() const { return _window; }
    std::shared_ptr<platform::TabBarController> _tabCon() const { return _tabCon_; }
    void set_tabCon(std::shared_ptr<platform::TabBarController> tabCon) { _tabCon_ = std::move(tabCon); }

private:
    void buildTabs();

    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::TabBarController> _tabCon_;
    std::shared_ptr<RequestHelp> _dataRequest;
};
