#pragma once

#include "platform/image/Image.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// JPEG pictures through libjpeg-turbo, which writes RGBA pixels itself.
class JpegDecoder {
public:
    static bool matches(std::string_view bytes);
    // Nothing for bytes libjpeg cannot read, a picture without pixels or one with more
    // than Image::kMaxDecodedPixels.
    static std::shared_ptr<Image> decode(std::string_view bytes, std::string source, double scale);
};

}  // namespace platform
