#include "platform/image/PngDecoder.h"

#include <png.h>

#include <cstring>

namespace platform {

bool PngDecoder::matches(std::string_view bytes) {
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return bytes.size() >= sizeof kSignature && std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

std::shared_ptr<Image> PngDecoder::decode(std::string_view bytes, std::string source, double scale) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
        return nullptr;
    }
    if (image.width == 0 || image.height == 0 ||
        std::size_t{image.width} * image.height > Image::kMaxDecodedPixels) {
        png_image_free(&image);
        return nullptr;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<Image::Frame> frames(1);
    frames[0].rgba.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, frames[0].rgba.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return nullptr;
    }
    Size pixels{static_cast<double>(image.width), static_cast<double>(image.height)};
    return std::make_shared<Image>(std::move(source), pixels, scale, std::move(frames));
}

}  // namespace platform
