#pragma once

#include "platform/ui/Geometry.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The system font at a size, regular or bold. Text is measured with fixed metrics
// (full-width characters one em wide, every other character half an em, lines 1.2 em
// high) so that layouts come out the same on every machine.
struct Font {
    double pointSize = 17;
    bool bold = false;

    static Font systemFont(double size) { return Font{size, false}; }
    static Font boldSystemFont(double size) { return Font{size, true}; }

    double lineHeight() const { return pointSize * 1.2; }
    // Width of the text on one line.
    double widthOfText(std::string_view text) const;
    // The size the text needs within `constraint` (width and height limits), wrapping
    // at word boundaries (or between any two full-width characters) and keeping only
    // the whole lines that fit; `maxLines` 0 means any number. Both sides are rounded
    // up to whole points and never exceed the constraint.
    Size sizeOfText(std::string_view text, Size constraint, int maxLines = 0) const;
    // The lines the text breaks into at that width (the same breaking as sizeOfText).
    std::vector<std::string> linesOfText(std::string_view text, double width, int maxLines = 0) const;
    bool operator==(const Font&) const = default;
};

}  // namespace platform
