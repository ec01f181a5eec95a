#pragma once

#include <cstddef>

// Hears the taps on the course tiles of a home page row.
class contentClickedDelegate {
public:
    virtual ~contentClickedDelegate() = default;

    // A tile of a section with fewer than MainPageCell::kCodeStride courses: `code` is
    // row x 1000 + the course's index within the section.
    virtual void contentImageClicked(std::size_t code) = 0;
    // A tile of a longer section, whose tile codes would run into the next row's.
    virtual void contentImageClickedAt(std::size_t row, std::size_t index) = 0;
};
