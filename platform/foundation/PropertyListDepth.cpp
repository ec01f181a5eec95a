#include "platform/foundation/PropertyListDepth.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kBinaryMagic = "bplist00";
constexpr std::size_t kTrailerSize = 32;

bool startsWith(std::string_view text, std::size_t pos, std::string_view prefix) {
    return text.substr(pos, prefix.size()) == prefix;
}

// A binary property list: an object table, an offset table giving where each object
// starts, and a trailer naming the sizes of offsets and references.
class BinaryList {
public:
    enum class Kind { Plain, Container, Malformed };
    // The references a container holds.
    struct Children {
        std::size_t start = 0;
        std::uint64_t count = 0;
    };

    explicit BinaryList(std::string_view bytes) : bytes_(bytes) {}

    bool readTrailer() {
        if (bytes_.size() < kBinaryMagic.size() + kTrailerSize) return false;
        trailer_ = bytes_.size() - kTrailerSize;
        offsetSize_ = static_cast<unsigned char>(bytes_[trailer_ + 6]);
        refSize_ = static_cast<unsigned char>(bytes_[trailer_ + 7]);
        objectCount_ = number(trailer_ + 8, 8);
        top_ = number(trailer_ + 16, 8);
        const std::uint64_t table = number(trailer_ + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
        if (objectCount_ == 0 || objectCount_ > bytes_.size() || top_ >= objectCount_) return false;
        if (table < kBinaryMagic.size() || table > trailer_ ||
            (trailer_ - table) / offsetSize_ < objectCount_) {
            return false;
        }
        table_ = static_cast<std::size_t>(table);
        return true;
    }

    std::uint64_t objectCount() const { return objectCount_; }
    std::uint64_t top() const { return top_; }

    // The object a container's `index`-th reference names.
    std::uint64_t reference(const Children& children, std::uint64_t index) const {
        return number(children.start + static_cast<std::size_t>(index) * refSize_, refSize_);
    }

    Kind kindOf(std::uint64_t object, Children& children) const {
        const std::uint64_t offset =
            number(table_ + static_cast<std::size_t>(object) * offsetSize_, offsetSize_);
        if (offset < kBinaryMagic.size() || offset >= table_) return Kind::Malformed;
        std::size_t pos = static_cast<std::size_t>(offset);
        const auto marker = static_cast<unsigned char>(bytes_[pos++]);
        const unsigned type = marker >> 4U;
        // Arrays and sets hold one reference per member, dictionaries one per key and value.
        const bool isDict = type == 0xD;
        if (type != 0xA && type != 0xC && !isDict) return Kind::Plain;
        std::uint64_t count = marker & 0x0FU;
        if (count == 0x0F) {
            // A longer count follows as an integer object of 1, 2, 4 or 8 bytes.
            if (pos >= table_) return Kind::Malformed;
            const auto intMarker = static_cast<unsigned char>(bytes_[pos++]);
            const std::size_t width = std::size_t{1} << (intMarker & 0x0FU);
            if ((intMarker >> 4U) != 0x1 || width > 8 || width > table_ - pos) return Kind::Malformed;
            count = number(pos, width);
            pos += width;
        }
        if (count > bytes_.size()) return Kind::Malformed;
        children.start = pos;
        children.count = isDict ? count * 2 : count;
        if (children.count > (table_ - pos) / refSize_) return Kind::Malformed;
        return Kind::Container;
    }

private:
    std::uint64_t number(std::size_t pos, std::size_t width) const {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value = (value << 8U) | static_cast<unsigned char>(bytes_[pos + i]);
        }
        return value;
    }

    std::string_view bytes_;
    std::size_t trailer_ = 0;
    std::size_t table_ = 0;
    std::size_t offsetSize_ = 0;
    std::size_t refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t top_ = 0;
};

}  // namespace

bool PropertyListDepth::exceeds(std::string_view bytes, int limit) {
    return startsWith(bytes, 0, kBinaryMagic) ? binaryExceeds(bytes, limit) : xmlExceeds(bytes, limit);
}

bool PropertyListDepth::xmlExceeds(std::string_view xml, int limit) {
    // Counts the <array> and <dict> elements open at each tag, skipping comments,
    // CDATA sections and declarations, whose text is no markup. Text that is not
    // well-formed may be counted deeper than a reader would see it, never shallower.
    int depth = 0;
    std::size_t pos = xml.find('<');
    while (pos != std::string_view::npos) {
        std::size_t end = std::string_view::npos;
        if (startsWith(xml, pos, "<!--")) {
            end = xml.find("-->", pos + 4);
        } else if (startsWith(xml, pos, "<![CDATA[")) {
            end = xml.find("]]>", pos + 9);
        } else if (startsWith(xml, pos, "<?") || startsWith(xml, pos, "<!")) {
            end = xml.find('>', pos + 2);
        } else {
            const bool closing = startsWith(xml, pos, "</");
            const std::size_t nameStart = pos + (closing ? 2 : 1);
            const std::size_t nameEnd = std::min(xml.find_first_of(" \t\r\n/>", nameStart), xml.size());
            const std::string_view name = xml.substr(nameStart, nameEnd - nameStart);
            end = xml.find('>', nameEnd);
            const bool selfClosing = end != std::string_view::npos && xml[end - 1] == '/';
            if (name == "array" || name == "dict") {
                if (closing) {
                    --depth;
                } else if (!selfClosing && ++depth > limit) {
                    return true;
                }
            }
        }
        if (end == std::string_view::npos) break;
        pos = xml.find('<', end + 1);
    }
    return false;
}

bool PropertyListDepth::binaryExceeds(std::string_view bytes, int limit) {
    // A walk from the top object with an explicit path instead of recursion; each
    // object's height is kept, so an object many containers share is walked once.
    // A list whose tables cannot be read counts as too deep: nothing reads it anyway.
    BinaryList list(bytes);
    if (!list.readTrailer()) return true;
    constexpr int kUnvisited = -1;
    constexpr int kOnPath = -2;
    std::vector<int> height(static_cast<std::size_t>(list.objectCount()), kUnvisited);
    struct Step {
        std::uint64_t object;
        BinaryList::Children children;
        std::uint64_t next = 0;
        int tallest = 0;  // the height of the tallest member walked so far
    };
    std::vector<Step> path;

    // Starts on an object: plain values are done at once, containers go on the path.
    auto enter = [&](std::uint64_t object) {
        BinaryList::Children children;
        switch (list.kindOf(object, children)) {
            case BinaryList::Kind::Malformed: return false;
            case BinaryList::Kind::Plain: height[object] = 0; return true;
            case BinaryList::Kind::Container:
                height[object] = kOnPath;
                path.push_back(Step{object, children});
                return path.size() <= static_cast<std::size_t>(limit);
        }
        return false;
    };

    if (!enter(list.top())) return true;
    while (!path.empty()) {
        Step& step = path.back();
        if (step.next == step.children.count) {
            const int done = step.tallest + 1;
            height[step.object] = done;
            path.pop_back();
            if (!path.empty()) path.back().tallest = std::max(path.back().tallest, done);
            continue;
        }
        const std::uint64_t member = list.reference(step.children, step.next++);
        if (member >= list.objectCount() || height[member] == kOnPath) return true;
        if (height[member] >= 0) {
            step.tallest = std::max(step.tallest, height[member]);
            continue;
        }
        if (!enter(member)) return true;  // `step` may be gone from here on
    }
    return false;
}

}  // namespace platform
