#include "platform/ui/Application.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace platform {

Application& Application::shared() {
    static Application instance;
    return instance;
}

void Application::launch() {
    state_ = ApplicationState::Inactive;
    if (delegate_) {
        delegate_->didFinishLaunchingWithOptions(*this);
    }
    becomeActive();
}

void Application::becomeActive() {
    if (state_ == ApplicationState::Active) {
        return;
    }
    state_ = ApplicationState::Active;
    if (delegate_) {
        delegate_->applicationDidBecomeActive(*this);
    }
    NotificationCenter::defaultCenter().post(kDidBecomeActiveNotification);
}

void Application::resignActive() {
    if (state_ != ApplicationState::Active) {
        return;
    }
    state_ = ApplicationState::Inactive;
    if (delegate_) {
        delegate_->applicationWillResignActive(*this);
    }
    NotificationCenter::defaultCenter().post(kWillResignActiveNotification);
}

// Going to the background passes through resigning, as on the platform.
void Application::enterBackground() {
    if (state_ == ApplicationState::Background) {
        return;
    }
    resignActive();
    state_ = ApplicationState::Background;
    if (delegate_) {
        delegate_->applicationDidEnterBackground(*this);
    }
    NotificationCenter::defaultCenter().post(kDidEnterBackgroundNotification);
}

// Coming back to the foreground ends with becoming active.
void Application::enterForeground() {
    if (state_ != ApplicationState::Background) {
        return;
    }
    state_ = ApplicationState::Inactive;
    if (delegate_) {
        delegate_->applicationWillEnterForeground(*this);
    }
    NotificationCenter::defaultCenter().post(kWillEnterForegroundNotification);
    becomeActive();
}

void Application::receiveMemoryWarning() {
    if (delegate_) {
        delegate_->applicationDidReceiveMemoryWarning(*this);
    }
    NotificationCenter::defaultCenter().post(kDidReceiveMemoryWarningNotification);
    for (const auto& window : Window::windows()) {
        if (auto root = window->rootViewController()) {
            root->deliverMemoryWarning();
        }
    }
}

void Application::terminate() {
    if (state_ == ApplicationState::NotRunning) {
        return;
    }
    if (delegate_) {
        delegate_->applicationWillTerminate(*this);
    }
    NotificationCenter::defaultCenter().post(kWillTerminateNotification);
    state_ = ApplicationState::NotRunning;
    if (terminationHook_) {
        terminationHook_();
    }
}

bool Application::isOrientationAllowed(InterfaceOrientation orientation) const {
    auto window = Window::keyWindow();
    if (!window) {
        return orientation == InterfaceOrientation::Portrait;
    }
    unsigned windowMask = delegate_ ? delegate_->supportedInterfaceOrientationsForWindow(
                                          const_cast<Application&>(*this), window.get())
                                    : OrientationMaskAllButUpsideDown;
    const auto& presented = window->presentedControllers();
    auto front = presented.empty() ? window->rootViewController() : presented.back();
    if (!front) {
        return (windowMask & maskOf(orientation)) != 0;
    }
    return front->shouldAutorotate() && (windowMask & front->supportedInterfaceOrientations() & maskOf(orientation));
}

bool Application::rotateTo(InterfaceOrientation orientation) {
    if (!isOrientationAllowed(orientation)) {
        return false;
    }
    orientation_ = orientation;
    return true;
}

double Application::systemVersionNumber() const {
    return Json::doubleValue(systemVersion_);
}

void Application::reset() {
    delegate_.reset();
    terminationHook_ = nullptr;
    state_ = ApplicationState::NotRunning;
    statusBarStyle_ = StatusBarStyle::Default;
    orientation_ = InterfaceOrientation::Portrait;
    systemVersion_ = "7.1";
}

}  // namespace platform
