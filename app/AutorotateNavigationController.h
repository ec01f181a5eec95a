#pragma once

#include "platform/ui/NavigationController.h"

#include <memory>

// A tab's navigation stack with the app's orientation rule: portrait only, for
// the stack's root and every screen pushed on it.
class AutorotateNavigationController : public platform::NavigationController {
public:
    using platform::NavigationController::NavigationController;
    bool shouldAutorotate() const override { return true; }
    unsigned supportedInterfaceOrientations() const override { return platform::OrientationMaskPortrait; }
    bool shouldAutorotateToInterfaceOrientation(platform::InterfaceOrientation orientation) const override {
        return orientation == platform::InterfaceOrientation::Portrait;
    }
};
