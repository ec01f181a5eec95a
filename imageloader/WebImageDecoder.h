#pragma once

#include "platform/image/Image.h"

#include <memory>
#include <string>
#include <string_view>

// Turns downloaded or disk-cached bytes into the picture the views show: decoded
// into RGBA frames (every frame of an animated GIF), at the scale the key's "@2x."
// ending gives, with the key (the picture's address) as its source.
class WebImageDecoder {
public:
    // Nothing when the bytes hold no picture with pixels.
    static std::shared_ptr<platform::Image> decodedImage(std::string_view bytes, const std::string& key);
};
