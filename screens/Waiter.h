#pragma once

#include "components/ProgressHUD.h"

#include <memory>

namespace platform {
class Window;
}

// The process-wide progress overlay on the application's first window, above every
// screen, for screens that block while a request runs.
class Waiter {
public:
    static constexpr const char* kLabelText = "正在加载...";

    // The single Waiter, created on the first call (at most once, whatever the thread).
    static Waiter& instance();

    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;

    // The application's first window, or nothing before one was shown.
    std::shared_ptr<platform::Window> window() const;
    void show();
    void hide();
    std::shared_ptr<ProgressHUD> HUD() const { return HUD_; }

private:
    Waiter();
    // Puts the overlay on the first window when it is not there yet (the first window
    // may not have existed when the overlay was made).
    void attachToWindow();

    std::shared_ptr<ProgressHUD> HUD_;
};
