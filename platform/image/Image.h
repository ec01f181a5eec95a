#pragma once

#include "platform/ui/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A picture: its size in points, its scale (2 for "@2x" pictures) and, once
// decoded, its frames of RGBA pixels. `source` names where it came from: a
// resource name or a picture address; the device API reports it.
class Image {
public:
    struct Frame {
        std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, in pixels
        double delay = 0;                // seconds this frame shows in an animation
    };

    // The most pixels a decoded picture may hold, the frames of an animation together: a
    // 4096 x 4096 still picture, 64 MB of RGBA. The decoders refuse larger pictures rather
    // than let a few bytes that claim to be huge exhaust the memory.
    static constexpr std::size_t kMaxDecodedPixels = std::size_t{4096} * 4096;

    Image(std::string source, Size pixelSize, double scale = 1.0, std::vector<Frame> frames = {});

    // A named resource of the app ("back.png", "tab1", "tab1_selected"): looks for the
    // name, the name with ".png", and their "@2x" forms in the resource folder.
    // Nothing when there is no such resource.
    static std::shared_ptr<Image> named(const std::string& name);
    // Where named resources are looked up (set once at start).
    static void setResourcePath(const std::string& path);
    static std::string resourcePath();
    // The file a resource name resolves to, or "" when there is none.
    static std::string resourceFile(const std::string& name);
    // The scale of a picture loaded from an address or file name, on the scale-2 screen:
    // 2.0 when "@2x." begins at the first or second of the key's last 8 characters
    // ("a@2x.png", ".../@2x.jpeg"), else 1.0 ("a@2x.png?v=1", "a.png").
    static double scaleForKey(std::string_view key);

    const std::string& source() const { return source_; }
    Size size() const { return Size{pixelSize_.width / scale_, pixelSize_.height / scale_}; }
    Size pixelSize() const { return pixelSize_; }
    double scale() const { return scale_; }
    const std::vector<Frame>& frames() const { return frames_; }
    double duration() const;
    // The bytes the decoded pixels take, the cost of keeping the picture in memory.
    std::size_t cost() const;

private:
    std::string source_;
    Size pixelSize_;
    double scale_ = 1.0;
    std::vector<Frame> frames_;
};

}  // namespace platform
