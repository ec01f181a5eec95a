#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

namespace qelvo::test {

// The platform's process-wide state that one test must not leave to the next.
class PlatformState {
public:
    // The main loop on this thread with nothing queued, no windows, a fresh
    // application and no alerts.
    static void reset() {
        platform::RunLoop::main().adoptCurrentThread();
        platform::RunLoop::main().reset();
        platform::Window::resetAll();
        platform::Application::shared().reset();
        platform::AlertView::dismissAll();
    }
};

}  // namespace qelvo::test
