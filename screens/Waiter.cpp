#include "screens/Waiter.h"

#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

Waiter& Waiter::instance() {
    // Lives as long as the process: screens may reach it until the very end.
    static Waiter* const shared = new Waiter();
    return *shared;
}

Waiter::Waiter() : HUD_(platform::View::create<ProgressHUD>(platform::Screen::bounds())) {
    HUD_->setLabelText(kLabelText);
    attachToWindow();
}

std::shared_ptr<platform::Window> Waiter::window() const {
    auto windows = platform::Window::windows();
    return windows.empty() ? nullptr : windows.front();
}

void Waiter::attachToWindow() {
    auto main = window();
    if (main && HUD_->superview() != main.get()) {
        main->addSubview(HUD_);
    }
}

void Waiter::show() {
    attachToWindow();
    if (platform::View* host = HUD_->superview()) {
        // Screens presented since the overlay was added must not cover it.
        host->bringSubviewToFront(*HUD_);
    }
    HUD_->show(true);
}

void Waiter::hide() {
    HUD_->hide(true);
}
