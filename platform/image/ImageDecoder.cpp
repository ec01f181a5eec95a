#include "platform/image/ImageDecoder.h"

#include "platform/image/GifDecoder.h"
#include "platform/image/JpegDecoder.h"
#include "platform/image/PngDecoder.h"

namespace platform {

std::shared_ptr<Image> ImageDecoder::decode(std::string_view bytes, std::string source, double scale) {
    if (PngDecoder::matches(bytes)) {
        return PngDecoder::decode(bytes, std::move(source), scale);
    }
    if (JpegDecoder::matches(bytes)) {
        return JpegDecoder::decode(bytes, std::move(source), scale);
    }
    if (GifDecoder::matches(bytes)) {
        return GifDecoder::decode(bytes, std::move(source), scale);
    }
    return nullptr;
}

}  // namespace platform
