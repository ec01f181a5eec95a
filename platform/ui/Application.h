#pragma once

#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/InterfaceOrientation.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {

class ViewController;

enum class ApplicationState { NotRunning, Active, Inactive, Background };
enum class StatusBarStyle { Default = 0, LightContent = 1 };

// The running application: its delegate, its life events, the status bar, the
// interface orientation and the system version the screens branch on. Each event
// goes to the delegate and is posted as the platform's notification.
class Application {
public:
    static constexpr const char* kDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
    static constexpr const char* kWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
    static constexpr const char* kDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
    static constexpr const char* kWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
    static constexpr const char* kDidReceiveMemoryWarningNotification =
        "UIApplicationDidReceiveMemoryWarningNotification";
    static constexpr const char* kWillTerminateNotification = "UIApplicationWillTerminateNotification";

    static Application& shared();

    void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) { delegate_ = std::move(delegate); }
    std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_; }

    // Life events, as the platform sends them. launch() finishes launching and then
    // becomes active.
    void launch();
    void becomeActive();
    void resignActive();
    void enterBackground();
    void enterForeground();
    void receiveMemoryWarning();
    // Tells the delegate and observers, then runs the termination hook (the process's
    // entry point ends the loop there).
    void terminate();
    void setTerminationHook(std::function<void()> hook) { terminationHook_ = std::move(hook); }
    ApplicationState state() const { return state_; }

    StatusBarStyle statusBarStyle() const { return statusBarStyle_; }
    void setStatusBarStyle(StatusBarStyle style) { statusBarStyle_ = style; }
    InterfaceOrientation statusBarOrientation() const { return orientation_; }
    // Turns the interface when the window's delegate mask and the front-most screen
    // allow it; returns whether it turned.
    bool rotateTo(InterfaceOrientation orientation);
    // Whether the front-most screen may show in that orientation now.
    bool isOrientationAllowed(InterfaceOrientation orientation) const;

    const std::string& systemVersion() const { return systemVersion_; }
    void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }
    // The version read as a floating-point number ("7.1" → 7.1, "6" → 6).
    double systemVersionNumber() const;

    // Back to a fresh, not running application (tests).
    void reset();

private:
    std::shared_ptr<ApplicationDelegate> delegate_;
    std::function<void()> terminationHook_;
    ApplicationState state_ = ApplicationState::NotRunning;
    StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
    InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
    std::string systemVersion_ = "7.1";
};

}  // namespace platform
