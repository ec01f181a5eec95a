#pragma once

#include "platform/image/Image.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Decodes picture bytes of any supported kind (PNG, JPEG, GIF, told apart by their
// signatures) into RGBA frames. Safe on any thread.
class ImageDecoder {
public:
    // Nothing for bytes of no known kind, damaged bytes, a picture of zero pixels or one
    // of more than Image::kMaxDecodedPixels.
    // `source` becomes the picture's source; `scale` its scale.
    static std::shared_ptr<Image> decode(std::string_view bytes, std::string source, double scale = 1.0);
};

}  // namespace platform
