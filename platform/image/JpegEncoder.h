#pragma once

#include "platform/image/Image.h"

#include <optional>
#include <string>

namespace platform {

// Writes a picture's first frame as JPEG through libjpeg-turbo.
class JpegEncoder {
public:
    // `quality` from 0.0 to 1.0 as the platform takes it. Nothing for a picture
    // without decoded pixels or when the library fails.
    static std::optional<std::string> encode(const Image& image, double quality = 1.0);
};

}  // namespace platform
