#include "platform/image/JpegDecoder.h"

#include "platform/image/JpegErrorManager.h"

#include <csetjmp>

namespace platform {
namespace {

bool createAndReadHeader(jpeg_decompress_struct& info, JpegErrorManager& errors, const unsigned char* data,
                         unsigned long size) {
    if (setjmp(errors.jump) != 0) {  // NOLINT(cert-err52-cpp)
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_calc_output_dimensions(&info);
    return true;
}

bool readPixels(jpeg_decompress_struct& info, JpegErrorManager& errors, unsigned char* out,
                std::size_t stride) {
    if (setjmp(errors.jump) != 0) {  // NOLINT(cert-err52-cpp)
        return false;
    }
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

bool JpegDecoder::matches(std::string_view bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xff &&
           static_cast<unsigned char>(bytes[1]) == 0xd8 && static_cast<unsigned char>(bytes[2]) == 0xff;
}

std::shared_ptr<Image> JpegDecoder::decode(std::string_view bytes, std::string source, double scale) {
    jpeg_decompress_struct info{};
    JpegErrorManager errors;
    info.err = errors.install();
    bool ok =
        createAndReadHeader(info, errors, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (!ok || info.output_width == 0 || info.output_height == 0 ||
        std::size_t{info.output_width} * info.output_height > Image::kMaxDecodedPixels) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    const std::size_t stride = std::size_t{info.output_width} * 4;
    std::vector<Image::Frame> frames(1);
    frames[0].rgba.resize(stride * info.output_height);
    ok = readPixels(info, errors, frames[0].rgba.data(), stride);
    Size size{static_cast<double>(info.output_width), static_cast<double>(info.output_height)};
    jpeg_destroy_decompress(&info);
    if (!ok) {
        return nullptr;
    }
    return std::make_shared<Image>(std::move(source), size, scale, std::move(frames));
}

}  // namespace platform
