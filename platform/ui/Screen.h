#pragma once

#include "platform/ui/Geometry.h"

namespace platform {

// The phone's screen: 320 by 568 points at scale 2, portrait, with a 20-point
// status bar on top.
class Screen {
public:
    static constexpr double kWidth = 320;
    static constexpr double kHeight = 568;
    static constexpr double kScale = 2.0;
    static constexpr double kStatusBarHeight = 20;
    static constexpr double kTabBarHeight = 49;

    static Rect bounds() { return Rect::make(0, 0, kWidth, kHeight); }
    // The part below the status bar.
    static Rect applicationFrame() { return Rect::make(0, kStatusBarHeight, kWidth, kHeight - kStatusBarHeight); }
    static double scale() { return kScale; }
};

}  // namespace platform
