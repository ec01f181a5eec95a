#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failure messages for geometry values.
namespace platform {
inline void PrintTo(const Point& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
inline void PrintTo(const Size& s, std::ostream* os) {
    *os << s.width << " x " << s.height;
}
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.minX() << ", " << r.minY() << ", " << r.width() << ", " << r.height() << ")";
}
}  // namespace platform

// Every toolkit case runs on a main loop that this thread owns, with time that moves
// only when the case advances it, and leaves no window, alert or application state
// behind for the next case.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::main().adoptCurrentThread();
        platform::RunLoop::main().reset();
        clock = std::make_shared<platform::ManualClock>();
        platform::RunLoop::main().setClock(clock);
    }

    void TearDown() override {
        platform::Window::resetAll();
        platform::Application::shared().reset();
        platform::AlertView::dismissAll();
        platform::RunLoop::main().reset();
    }

    // The application's main window, shown and key.
    static std::shared_ptr<platform::Window> makeMainWindow() {
        auto window = platform::View::create<platform::Window>(platform::Screen::bounds());
        window->makeKeyAndVisible();
        return window;
    }

    static void runPending() { platform::RunLoop::main().runPending(); }

    std::shared_ptr<platform::ManualClock> clock;
};
