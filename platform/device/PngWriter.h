#pragma once

#include "platform/image/Image.h"

#include <optional>
#include <string>

namespace platform {

// Writes a picture's first frame as PNG, so the browser display can show pictures
// the app holds only decoded, without losing their transparency.
class PngWriter {
public:
    // Nothing for a picture without decoded pixels or when the library fails.
    static std::optional<std::string> encode(const Image& image);
};

}  // namespace platform
