#include "platform/image/JpegEncoder.h"

#include "platform/image/JpegErrorManager.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>

namespace platform {
namespace {

bool compress(jpeg_compress_struct& info, JpegErrorManager& errors, const std::uint8_t* rgba, unsigned width,
              unsigned height, int quality, unsigned char** out, unsigned long* outSize) {
    if (setjmp(errors.jump) != 0) {  // NOLINT(cert-err52-cpp)
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_RGBA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = std::size_t{width} * 4;
    while (info.next_scanline < info.image_height) {
        // libjpeg only reads the rows it is given.
        auto* row = const_cast<JSAMPLE*>(rgba + stride * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

std::optional<std::string> JpegEncoder::encode(const Image& image, double quality) {
    const auto width = static_cast<unsigned>(image.pixelSize().width);
    const auto height = static_cast<unsigned>(image.pixelSize().height);
    if (image.frames().empty() || width == 0 || height == 0 ||
        image.frames().front().rgba.size() < std::size_t{width} * height * 4) {
        return std::nullopt;
    }
    jpeg_compress_struct info{};
    JpegErrorManager errors;
    info.err = errors.install();
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int libraryQuality = static_cast<int>(std::clamp(std::lround(quality * 100.0), 0L, 100L));
    const bool ok = compress(info, errors, image.frames().front().rgba.data(), width, height, libraryQuality,
                             &buffer, &size);
    jpeg_destroy_compress(&info);
    std::optional<std::string> result;
    if (ok && buffer) {
        result.emplace(reinterpret_cast<const char*>(buffer), size);
    }
    std::free(buffer);  // NOLINT: allocated by libjpeg with malloc
    return result;
}

}  // namespace platform
