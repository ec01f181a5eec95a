#include "platform/device/PngWriter.h"

#include <png.h>

#include <cmath>

namespace platform {

std::optional<std::string> PngWriter::encode(const Image& image) {
    if (image.frames().empty()) return std::nullopt;
    const auto& rgba = image.frames().front().rgba;
    const auto width = static_cast<png_uint_32>(std::lround(image.pixelSize().width));
    const auto height = static_cast<png_uint_32>(std::lround(image.pixelSize().height));
    if (width == 0 || height == 0 || rgba.size() < std::size_t{width} * height * 4) return std::nullopt;

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = width;
    png.height = height;
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    // The first call measures, the second writes.
    if (png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr) == 0 || size == 0) {
        png_image_free(&png);
        return std::nullopt;
    }
    std::string out(size, '\0');
    if (png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return std::nullopt;
    }
    out.resize(size);
    return out;
}

}  // namespace platform
