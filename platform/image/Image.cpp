#include "platform/image/Image.h"

#include "platform/foundation/FileSystem.h"

#include <fstream>
#include <mutex>

namespace platform {
namespace {

std::mutex& pathMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& pathStorage() {
    static std::string path;
    return path;
}

// Reads the pixel size from a PNG header without decoding the picture.
Size pngPixelSize(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[24] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[1] != 'P' || header[2] != 'N' ||
        header[3] != 'G') {
        return Size{};
    }
    auto be32 = [&](int at) {
        return (static_cast<std::uint32_t>(header[at]) << 24) |
               (static_cast<std::uint32_t>(header[at + 1]) << 16) |
               (static_cast<std::uint32_t>(header[at + 2]) << 8) | header[at + 3];
    };
    return Size{static_cast<double>(be32(16)), static_cast<double>(be32(20))};
}

}  // namespace

Image::Image(std::string source, Size pixelSize, double scale, std::vector<Frame> frames)
    : source_(std::move(source)),
      pixelSize_(pixelSize),
      scale_(scale > 0 ? scale : 1.0),
      frames_(std::move(frames)) {}

void Image::setResourcePath(const std::string& path) {
    std::lock_guard lock(pathMutex());
    pathStorage() = path;
}

std::string Image::resourcePath() {
    std::lock_guard lock(pathMutex());
    return pathStorage();
}

std::string Image::resourceFile(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) {
        return {};
    }
    const std::string folder = resourcePath();
    std::string stem = name;
    std::string extension = ".png";
    if (auto dot = name.rfind('.'); dot != std::string::npos) {
        stem = name.substr(0, dot);
        extension = name.substr(dot);
    }
    // The platform prefers the "@2x" picture on a scale-2 screen.
    std::string doubleScale = stem;
    doubleScale.append("@2x").append(extension);
    std::string plain = stem;
    plain.append(extension);
    for (const std::string& candidate : {doubleScale, plain, name}) {
        std::string file = FileSystem::appendingPathComponent(folder, candidate);
        if (FileSystem::exists(file) && !FileSystem::isDirectory(file)) {
            return file;
        }
    }
    return {};
}

std::shared_ptr<Image> Image::named(const std::string& name) {
    std::string file = resourceFile(name);
    if (file.empty()) {
        return nullptr;
    }
    double scale = file.find("@2x") != std::string::npos ? 2.0 : 1.0;
    return std::make_shared<Image>(name, pngPixelSize(file), scale);
}

double Image::scaleForKey(std::string_view key) {
    if (key.size() < 8) {
        return 1.0;
    }
    return key.substr(key.size() - 8, 5).find("@2x.") != std::string_view::npos ? 2.0 : 1.0;
}

double Image::duration() const {
    double total = 0;
    for (const Frame& frame : frames_) {
        total += frame.delay;
    }
    return total;
}

std::size_t Image::cost() const {
    std::size_t total = 0;
    for (const Frame& frame : frames_) {
        total += frame.rgba.size();
    }
    return total;
}

}  // namespace platform
