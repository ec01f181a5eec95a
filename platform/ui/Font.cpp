#include "platform/ui/Font.h"

#include <cmath>
#include <cstdint>

namespace platform {
namespace {

struct Glyph {
    std::string_view bytes;
    char32_t code = 0;
};

// Splits UTF-8 text into code points; a malformed byte counts as one character.
std::vector<Glyph> glyphsOf(std::string_view text) {
    std::vector<Glyph> glyphs;
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        char32_t code = lead;
        if (lead >= 0xF0 && lead < 0xF8) {
            length = 4;
            code = lead & 0x07;
        } else if (lead >= 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xC0) {
            length = 2;
            code = lead & 0x1F;
        }
        if (i + length > text.size()) {
            length = 1;
            code = lead;
        } else {
            for (std::size_t k = 1; k < length; ++k) {
                code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            }
        }
        glyphs.push_back(Glyph{text.substr(i, length), code});
        i += length;
    }
    return glyphs;
}

bool isFullWidth(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) || (c >= 0x1F900 && c <= 0x1F9FF) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

double advance(const Glyph& glyph, double em) {
    if (glyph.code == '\n') {
        return 0;
    }
    return isFullWidth(glyph.code) ? em : em / 2;
}

// A break may follow a space, and may come before or after any full-width character.
bool canBreakBefore(const std::vector<Glyph>& glyphs, std::size_t i) {
    if (i == 0) {
        return false;
    }
    return glyphs[i - 1].code == ' ' || isFullWidth(glyphs[i].code) || isFullWidth(glyphs[i - 1].code);
}

}  // namespace

double Font::widthOfText(std::string_view text) const {
    double width = 0;
    for (const Glyph& glyph : glyphsOf(text)) {
        width += advance(glyph, pointSize);
    }
    return width;
}

std::vector<std::string> Font::linesOfText(std::string_view text, double width, int maxLines) const {
    std::vector<Glyph> glyphs = glyphsOf(text);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < glyphs.size()) {
        if (maxLines > 0 && static_cast<int>(lines.size()) == maxLines) {
            break;
        }
        double lineWidth = 0;
        std::size_t end = start;
        std::size_t lastBreak = start;
        std::size_t wrapAt = glyphs.size();
        bool hardBreak = false;
        bool wrapped = false;
        while (end < glyphs.size()) {
            const Glyph& glyph = glyphs[end];
            if (glyph.code == '\n') {
                hardBreak = true;
                break;
            }
            bool breakHere = end > start && canBreakBefore(glyphs, end);
            if (breakHere) {
                lastBreak = end;
            }
            double next = lineWidth + advance(glyph, pointSize);
            if (next > width + 1e-9 && end > start) {
                // The glyph that does not fit starts the next line when a break may
                // come before it (or it is a space); otherwise the line ends at the
                // last word boundary, or mid-word when the word is longer than a line.
                wrapped = true;
                if (glyph.code == ' ' || breakHere) {
                    wrapAt = end;
                } else {
                    wrapAt = lastBreak > start ? lastBreak : end;
                }
                break;
            }
            lineWidth = next;
            ++end;
        }
        std::size_t lineEnd = wrapped ? wrapAt : end;
        std::size_t trimmedEnd = lineEnd;
        while (wrapped && trimmedEnd > start && glyphs[trimmedEnd - 1].code == ' ') {
            --trimmedEnd;  // the spaces at a wrap belong to neither line
        }
        std::string line;
        for (std::size_t k = start; k < trimmedEnd; ++k) {
            line += glyphs[k].bytes;
        }
        lines.push_back(std::move(line));
        start = hardBreak ? end + 1 : lineEnd;
        while (wrapped && start < glyphs.size() && glyphs[start].code == ' ') {
            ++start;
        }
    }
    return lines;
}

Size Font::sizeOfText(std::string_view text, Size constraint, int maxLines) const {
    if (text.empty()) {
        return Size{0, 0};
    }
    int lineLimit = maxLines;
    if (constraint.height > 0) {
        int fitting = std::max(1, static_cast<int>(std::floor(constraint.height / lineHeight() + 1e-9)));
        lineLimit = lineLimit > 0 ? std::min(lineLimit, fitting) : fitting;
    }
    double maxWidth = constraint.width > 0 ? constraint.width : 1e9;
    std::vector<std::string> lines = linesOfText(text, maxWidth, lineLimit);
    double width = 0;
    for (const std::string& line : lines) {
        width = std::max(width, widthOfText(line));
    }
    Size size{std::ceil(width), std::ceil(static_cast<double>(lines.size()) * lineHeight())};
    if (constraint.width > 0) {
        size.width = std::min(size.width, constraint.width);
    }
    if (constraint.height > 0) {
        size.height = std::min(size.height, constraint.height);
    }
    return size;
}

}  // namespace platform
