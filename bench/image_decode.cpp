// Decoding a PNG, a JPEG and an animated GIF through the platform's decoders, next to
// the same library called directly into an RGBA buffer, in the same run. The ratio
// (platform / direct, median times) shows what the platform layer adds; it should
// stay at about 1.0 (aim: at most 1.1). On a machine shared with other work the wall
// times wander with the load; the CPU-time ratio is then the steadier figure.

#include "platform/image/GifDecoder.h"
#include "platform/image/ImageDecoder.h"
#include "platform/image/JpegEncoder.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kGifSide = 200;
constexpr int kGifFrames = 8;

// A picture with smooth gradients and some texture, so that neither codec has it easy.
std::vector<std::uint8_t> scenePixels(int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(x * 255 / width);
            p[1] = static_cast<std::uint8_t>(y * 255 / height);
            p[2] = static_cast<std::uint8_t>((x ^ y) + ((noise >> 16) & 0x0f));
            p[3] = 255;
        }
    }
    return pixels;
}

std::string makePng() {
    std::vector<std::uint8_t> pixels = scenePixels(kWidth, kHeight);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    std::string bytes(size, '\0');
    png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr);
    bytes.resize(size);
    return bytes;
}

std::string makeJpeg() {
    std::vector<platform::Image::Frame> frames(1);
    frames[0].rgba = scenePixels(kWidth, kHeight);
    platform::Image image("scene", platform::Size{kWidth, kHeight}, 1.0, std::move(frames));
    return platform::JpegEncoder::encode(image, 0.85).value_or(std::string());
}

std::string makeGif() {
    std::string out;
    auto write = [](GifFileType* file, const GifByteType* data, int length) {
        static_cast<std::string*>(file->UserData)
            ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
        return length;
    };
    int error = 0;
    GifFileType* file = EGifOpen(&out, write, &error);
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < 256; ++i) {
        colors[i] = GifColorType{static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                                 static_cast<GifByteType>((i * 7) & 0xff)};
    }
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, kGifSide, kGifSide, 8, 0, map);
    std::vector<GifPixelType> line(kGifSide);
    for (int frame = 0; frame < kGifFrames; ++frame) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 10, frame % 2 ? 0 : NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(file, 0, 0, kGifSide, kGifSide, false, nullptr);
        for (int y = 0; y < kGifSide; ++y) {
            for (int x = 0; x < kGifSide; ++x) {
                line[x] = static_cast<GifPixelType>((x + y * 3 + frame * 17) & 0xff);
            }
            EGifPutLine(file, line.data(), kGifSide);
        }
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return out;
}

const std::string& pngData() {
    static const std::string data = makePng();
    return data;
}
const std::string& jpegData() {
    static const std::string data = makeJpeg();
    return data;
}
const std::string& gifData() {
    static const std::string data = makeGif();
    return data;
}

// The direct uses: what a caller writes with each library's own API for RGBA output.

std::vector<std::uint8_t> directPng(const std::string& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, bytes.data(), bytes.size());
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    return pixels;
}

std::vector<std::uint8_t> directJpeg(const std::string& bytes) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t{info.output_width} * 4;
    std::vector<std::uint8_t> pixels(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

struct Reader {
    const std::string* bytes;
    std::size_t offset;
};

int readGif(GifFileType* file, GifByteType* out, int wanted) {
    auto* reader = static_cast<Reader*>(file->UserData);
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(wanted), reader->bytes->size() - reader->offset);
    std::copy_n(reinterpret_cast<const GifByteType*>(reader->bytes->data()) + reader->offset, count, out);
    reader->offset += count;
    return static_cast<int>(count);
}

// Every frame composed onto the canvas and kept as a whole picture, as an animation needs.
std::vector<std::vector<std::uint8_t>> directGif(const std::string& bytes) {
    Reader reader{&bytes, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&reader, readGif, &error);
    DGifSlurp(file);
    const int width = file->SWidth;
    std::vector<std::uint8_t> canvas(static_cast<std::size_t>(width) * file->SHeight * 4, 0);
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < file->ImageCount; ++i) {
        const SavedImage& saved = file->SavedImages[i];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(file, i, &control);
        const ColorMapObject* colors = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : file->SColorMap;
        for (int y = 0; y < saved.ImageDesc.Height; ++y) {
            const GifByteType* source =
                saved.RasterBits + static_cast<std::size_t>(y) * saved.ImageDesc.Width;
            std::uint8_t* target =
                &canvas[(static_cast<std::size_t>(y + saved.ImageDesc.Top) * width + saved.ImageDesc.Left) *
                        4];
            for (int x = 0; x < saved.ImageDesc.Width; ++x, target += 4) {
                const int index = source[x];
                if (index == control.TransparentColor) {
                    continue;
                }
                target[0] = colors->Colors[index].Red;
                target[1] = colors->Colors[index].Green;
                target[2] = colors->Colors[index].Blue;
                target[3] = 0xff;
            }
        }
        frames.push_back(canvas);
    }
    DGifCloseFile(file, &error);
    return frames;
}

void BM_PngPlatform(benchmark::State& state) {
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(platform::ImageDecoder::decode(pngData(), "scene.png"));
    }
}
void BM_PngDirect(benchmark::State& state) {
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(directPng(pngData()));
    }
}
void BM_JpegPlatform(benchmark::State& state) {
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(platform::ImageDecoder::decode(jpegData(), "scene.jpg"));
    }
}
void BM_JpegDirect(benchmark::State& state) {
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(directJpeg(jpegData()));
    }
}
void BM_GifPlatform(benchmark::State& state) {
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(platform::ImageDecoder::decode(gifData(), "anim.gif"));
    }
}
void BM_GifDirect(benchmark::State& state) {
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(directGif(gifData()));
    }
}

// Interleaved so that both sides of a pair see the same machine load.
BENCHMARK(BM_PngPlatform)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PngDirect)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_JpegPlatform)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_JpegDirect)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_GifPlatform)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_GifDirect)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps the median of each benchmark for the ratios printed at the end.
class MedianRecorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuMedians[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
    std::map<std::string, double> cpuMedians;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (pngData().empty() || jpegData().empty() || gifData().empty()) {
        return 1;
    }
    // The platform decoders must give the same pixels the direct calls give.
    auto png = platform::ImageDecoder::decode(pngData(), "p");
    auto jpeg = platform::ImageDecoder::decode(jpegData(), "j");
    auto gif = platform::ImageDecoder::decode(gifData(), "g");
    auto gifFrames = directGif(gifData());
    if (!png || png->frames()[0].rgba != directPng(pngData()) || !jpeg ||
        jpeg->frames()[0].rgba != directJpeg(jpegData()) || !gif ||
        gif->frames().size() != gifFrames.size() || gif->frames().back().rgba != gifFrames.back()) {
        fmt::print(stderr, "platform decoders differ from the direct library calls\n");
        return 1;
    }
    MedianRecorder reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fmt::print("\nbytes: PNG {} ({}x{}), JPEG {} ({}x{}), GIF {} ({}x{}, {} frames)\n", pngData().size(),
               kWidth, kHeight, jpegData().size(), kWidth, kHeight, gifData().size(), kGifSide, kGifSide,
               kGifFrames);
    for (const char* kind : {"Png", "Jpeg", "Gif"}) {
        const double platformTime = reporter.medians[fmt::format("BM_{}Platform", kind)];
        const double directTime = reporter.medians[fmt::format("BM_{}Direct", kind)];
        const double platformCpu = reporter.cpuMedians[fmt::format("BM_{}Platform", kind)];
        const double directCpu = reporter.cpuMedians[fmt::format("BM_{}Direct", kind)];
        if (directTime > 0 && directCpu > 0) {
            fmt::print(
                "{:<5} platform {:9.1f} us  direct {:9.1f} us  ratio {:.3f}  (CPU ratio {:.3f}; aim <= "
                "1.1)\n",
                kind, platformTime / 1000.0, directTime / 1000.0, platformTime / directTime,
                platformCpu / directCpu);
        }
    }
    return 0;
}
