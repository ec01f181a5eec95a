#include "platform/image/JpegEncoder.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>

namespace platform {
namespace {

// See JpegDecoder: error_exit jumps back into the step that failed, whose
// objects are all trivial.
struct JumpingErrorManager {
    jpeg_error_mgr base{};
    std::jmp_buf jump{};
};

void jumpBack(j_common_ptr info) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);  // NOLINT(cert-err52-cpp): libjpeg's error protocol
}

void stayQuiet(j_common_ptr /*info*/) {}

bool compress(jpeg_compress_struct& info, JumpingErrorManager& errors, const std::uint8_t* rgba,
              unsigned width, unsigned height, int quality, unsigned char** out, unsigned long* outSize) {
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
    JumpingErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpBack;
    errors.base.output_message = stayQuiet;
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
