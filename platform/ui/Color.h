#pragma once

#include <string>

namespace platform {

// An RGBA colour with components from 0 to 1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color rgb255(int red, int green, int blue, double alpha = 1.0) {
        return Color{red / 255.0, green / 255.0, blue / 255.0, alpha};
    }
    static Color white(double white = 1.0, double alpha = 1.0) { return Color{white, white, white, alpha}; }
    static Color black() { return Color{0, 0, 0, 1}; }
    static Color clear() { return Color{0, 0, 0, 0}; }
    static Color gray() { return white(0.5); }
    static Color darkGray() { return white(1.0 / 3.0); }
    static Color lightGray() { return white(2.0 / 3.0); }

    Color withAlpha(double newAlpha) const { return Color{red, green, blue, newAlpha}; }
    bool isOpaque() const { return alpha >= 1.0; }
    // "rgba(r,g,b,a)" with 0-255 components, as the browser display draws it.
    std::string css() const;
    bool operator==(const Color&) const = default;
};

}  // namespace platform
