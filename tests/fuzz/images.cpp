// Pictures as the image loader and the named resources decode them: PNG, JPEG and GIF,
// told apart by their signatures.

#include "platform/image/ImageDecoder.h"
#include "tests/fuzz/support/FuzzBytes.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto image = platform::ImageDecoder::decode(qelvo::fuzz::bytesOf(data, size), "fuzz");
    if (!image) {
        return 0;
    }
    // Every frame holds exactly the pixels the picture says it has.
    const platform::Size pixels = image->pixelSize();
    const auto expected =
        static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height) * 4;
    if (image->frames().empty()) std::abort();
    for (const auto& frame : image->frames()) {
        if (frame.rgba.size() != expected) std::abort();
    }
    (void)image->duration();
    (void)image->cost();
    return 0;
}
