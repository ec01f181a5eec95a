#include "platform/image/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

struct MemoryReader {
    std::string_view bytes;
    std::size_t offset = 0;
};

int readFromMemory(GifFileType* file, GifByteType* out, int wanted) {
    auto* reader = static_cast<MemoryReader*>(file->UserData);
    std::size_t count =
        std::min(static_cast<std::size_t>(std::max(wanted, 0)), reader->bytes.size() - reader->offset);
    std::memcpy(out, reader->bytes.data() + reader->offset, count);
    reader->offset += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* file) const {
        int ignored = 0;
        DGifCloseFile(file, &ignored);
    }
};

// The part of a frame's rectangle that lies on the canvas.
struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
};

Area clippedArea(const GifImageDesc& desc, int width, int height) {
    Area area;
    area.left = std::clamp(desc.Left, 0, width);
    area.top = std::clamp(desc.Top, 0, height);
    area.right = std::clamp(desc.Left + desc.Width, area.left, width);
    area.bottom = std::clamp(desc.Top + desc.Height, area.top, height);
    return area;
}

void drawFrame(const SavedImage& saved, const ColorMapObject* colors, int transparent,
               std::vector<std::uint8_t>& canvas, int width, const Area& area) {
    const GifImageDesc& desc = saved.ImageDesc;
    for (int y = area.top; y < area.bottom; ++y) {
        const GifByteType* source = saved.RasterBits + static_cast<std::size_t>(y - desc.Top) * desc.Width;
        std::uint8_t* target = canvas.data() + (static_cast<std::size_t>(y) * width + area.left) * 4;
        for (int x = area.left; x < area.right; ++x, target += 4) {
            const int index = source[x - desc.Left];
            if (index == transparent || index >= colors->ColorCount) {
                continue;
            }
            const GifColorType& color = colors->Colors[index];
            target[0] = color.Red;
            target[1] = color.Green;
            target[2] = color.Blue;
            target[3] = 0xff;
        }
    }
}

void clearArea(std::vector<std::uint8_t>& canvas, int width, const Area& area) {
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint8_t* row = canvas.data() + (static_cast<std::size_t>(y) * width + area.left) * 4;
        std::memset(row, 0, static_cast<std::size_t>(area.right - area.left) * 4);
    }
}

}  // namespace

bool GifDecoder::matches(std::string_view bytes) {
    return bytes.size() >= 6 && (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a");
}

std::shared_ptr<Image> GifDecoder::decode(std::string_view bytes, std::string source, double scale) {
    MemoryReader reader{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> file(DGifOpen(&reader, readFromMemory, &error));
    if (!file || DGifSlurp(file.get()) != GIF_OK || file->ImageCount <= 0) {
        return nullptr;
    }
    const int width = file->SWidth;
    const int height = file->SHeight;
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    const std::size_t canvasBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    std::vector<std::uint8_t> canvas(canvasBytes, 0);
    std::vector<std::uint8_t> beforeFrame;
    std::vector<Image::Frame> frames;
    frames.reserve(static_cast<std::size_t>(file->ImageCount));
    double totalDelay = 0;
    for (int i = 0; i < file->ImageCount; ++i) {
        const SavedImage& saved = file->SavedImages[i];
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(file.get(), i, &control);
        const ColorMapObject* colors = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : file->SColorMap;
        const Area area = clippedArea(saved.ImageDesc, width, height);
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            beforeFrame = canvas;
        }
        if (colors && saved.RasterBits) {
            drawFrame(saved, colors, control.TransparentColor, canvas, width, area);
        }
        Image::Frame frame;
        frame.delay = control.DelayTime / 100.0;
        totalDelay += frame.delay;
        frame.rgba = canvas;
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            clearArea(canvas, width, area);
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            canvas.swap(beforeFrame);
        }
        frames.push_back(std::move(frame));
    }
    if (frames.size() == 1) {
        frames[0].delay = 0;
    } else if (totalDelay <= 0) {
        for (Image::Frame& frame : frames) {
            frame.delay = kDefaultFrameDelay;
        }
    }
    Size size{static_cast<double>(width), static_cast<double>(height)};
    return std::make_shared<Image>(std::move(source), size, scale, std::move(frames));
}

}  // namespace platform
