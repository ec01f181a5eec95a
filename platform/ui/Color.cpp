#include "platform/ui/Color.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace platform {

std::string Color::css() const {
    auto channel = [](double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
    return fmt::format("rgba({},{},{},{:.3g})", channel(red), channel(green), channel(blue), std::clamp(alpha, 0.0, 1.0));
}

}  // namespace platform
