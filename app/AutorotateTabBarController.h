#pragma once

#include "platform/ui/TabBarController.h"

// The tab shell with the app's orientation rule: it always turns itself, and only
// to portrait, so every tab screen stays upright.
class AutorotateTabBarController : public platform::TabBarController {
public:
    bool shouldAutorotate() const override { return true; }
    unsigned supportedInterfaceOrientations() const override { return platform::OrientationMaskPortrait; }
    bool shouldAutorotateToInterfaceOrientation(platform::InterfaceOrientation orientation) const override {
        return orientation == platform::InterfaceOrientation::Portrait;
    }
};
