#pragma once

// Small pictures made in memory with the picture libraries themselves, for the
// decoder, cache and loader tests.

#include "platform/image/Image.h"
#include "platform/image/JpegEncoder.h"

#include <gif_lib.h>
#include <png.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qelvo::test {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

inline std::vector<std::uint8_t> filledPixels(int width, int height, Rgba color) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = color.r;
        pixels[i + 1] = color.g;
        pixels[i + 2] = color.b;
        pixels[i + 3] = color.a;
    }
    return pixels;
}

inline std::string pngBytes(int width, int height, Rgba color = {200, 30, 40, 255}) {
    std::vector<std::uint8_t> pixels = filledPixels(width, height, color);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) {
        return {};
    }
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr)) {
        return {};
    }
    bytes.resize(size);
    return bytes;
}

inline std::string jpegBytes(int width, int height, Rgba color = {20, 120, 220, 255}) {
    std::vector<platform::Image::Frame> frames(1);
    frames[0].rgba = filledPixels(width, height, color);
    platform::Image image("", platform::Size{static_cast<double>(width), static_cast<double>(height)}, 1.0,
                          std::move(frames));
    return platform::JpegEncoder::encode(image, 0.9).value_or(std::string());
}

// A GIF of `frameCount` frames over a 2-colour palette: frame i is filled with colour
// i % 2 (red, then blue). `delayCentiseconds` 0 leaves the frames without delays.
inline std::string gifBytes(int width, int height, int frameCount, int delayCentiseconds = 0) {
    std::string out;
    auto write = [](GifFileType* file, const GifByteType* data, int length) {
        static_cast<std::string*>(file->UserData)
            ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
        return length;
    };
    int error = 0;
    GifFileType* file = EGifOpen(&out, write, &error);
    if (!file) {
        return {};
    }
    GifColorType colors[2] = {{255, 0, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(2, colors);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, 1, 0, map);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int frame = 0; frame < frameCount; ++frame) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, delayCentiseconds, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(file, 0, 0, width, height, false, nullptr);
        std::fill(line.begin(), line.end(), static_cast<GifPixelType>(frame % 2));
        for (int y = 0; y < height; ++y) {
            EGifPutLine(file, line.data(), width);
        }
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return out;
}

}  // namespace qelvo::test
