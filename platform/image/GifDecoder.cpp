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

void drawFrame(const GifImageDesc& desc, const std::vector<GifByteType>& raster, const ColorMapObject* colors,
               int transparent, std::vector<std::uint8_t>& canvas, int width, const Area& area) {
    for (int y = area.top; y < area.bottom; ++y) {
        const GifByteType* source = raster.data() + static_cast<std::size_t>(y - desc.Top) * desc.Width;
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

// The colour indexes of the image whose description giflib has just read, rows in order
// (an interlaced image sends them in four passes).
bool readRaster(GifFileType* file, std::vector<GifByteType>& raster) {
    const GifImageDesc& desc = file->Image;
    if (!desc.Interlace) {
        return DGifGetLine(file, raster.data(), static_cast<int>(raster.size())) == GIF_OK;
    }
    static constexpr int kFirstRow[] = {0, 4, 2, 1};
    static constexpr int kRowStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int row = kFirstRow[pass]; row < desc.Height; row += kRowStep[pass]) {
            if (DGifGetLine(file, raster.data() + static_cast<std::size_t>(row) * desc.Width, desc.Width) !=
                GIF_OK) {
                return false;
            }
        }
    }
    return true;
}

// Reads an extension's blocks; a graphic control block becomes the next frame's `control`.
bool readExtension(GifFileType* file, GraphicsControlBlock& control) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(file, &code, &block) != GIF_OK) {
        return false;
    }
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
        DGifExtensionToGCB(block[0], block + 1, &control);
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(file, &block) != GIF_OK) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool GifDecoder::matches(std::string_view bytes) {
    return bytes.size() >= 6 && (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a");
}

std::shared_ptr<Image> GifDecoder::decode(std::string_view bytes, std::string source, double scale) {
    MemoryReader reader{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> file(DGifOpen(&reader, readFromMemory, &error));
    if (!file) {
        return nullptr;
    }
    const int width = file->SWidth;
    const int height = file->SHeight;
    const std::size_t canvasPixels = static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0);
    if (canvasPixels == 0 || canvasPixels > Image::kMaxDecodedPixels) {
        return nullptr;
    }
    // Frame by frame rather than all at once, so that no frame is read, and no memory
    // taken for it, beyond what the picture may decode to.
    std::vector<std::uint8_t> canvas(canvasPixels * 4, 0);
    std::vector<std::uint8_t> beforeFrame;
    std::vector<GifByteType> raster;
    std::vector<Image::Frame> frames;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    double totalDelay = 0;
    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != TERMINATE_RECORD_TYPE;) {
        if (DGifGetRecordType(file.get(), &record) != GIF_OK) {
            return nullptr;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            if (!readExtension(file.get(), control)) {
                return nullptr;
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) {
            continue;
        }
        if (DGifGetImageDesc(file.get()) != GIF_OK) {
            return nullptr;
        }
        const GifImageDesc& desc = file->Image;
        const std::size_t framePixels =
            static_cast<std::size_t>(std::max(desc.Width, 0)) * std::max(desc.Height, 0);
        if (framePixels == 0 || framePixels > Image::kMaxDecodedPixels ||
            (frames.size() + 1) * canvasPixels > Image::kMaxDecodedPixels) {
            return nullptr;
        }
        raster.assign(framePixels, 0);
        if (!readRaster(file.get(), raster)) {
            return nullptr;
        }
        const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : file->SColorMap;
        const Area area = clippedArea(desc, width, height);
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            beforeFrame = canvas;
        }
        if (colors) {
            drawFrame(desc, raster, colors, control.TransparentColor, canvas, width, area);
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
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
    if (frames.empty()) {
        return nullptr;
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
