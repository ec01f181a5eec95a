#pragma once

#include "platform/image/Image.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// GIF pictures through giflib. Every frame is composed onto the logical screen as
// a whole RGBA picture, following the frames' disposal methods, with the frame's
// delay in seconds. When no frame states a delay, each shows for 0.1 seconds.
// A single-frame GIF is a still picture (delay 0).
class GifDecoder {
public:
    static constexpr double kDefaultFrameDelay = 0.1;

    static bool matches(std::string_view bytes);
    // Nothing for bytes giflib cannot read, a picture without pixels or frames, or one
    // whose frames hold more than Image::kMaxDecodedPixels together.
    static std::shared_ptr<Image> decode(std::string_view bytes, std::string source, double scale);
};

}  // namespace platform
