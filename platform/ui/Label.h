#pragma once

#include "platform/ui/Font.h"
#include "platform/ui/View.h"

#include <optional>
#include <string>

namespace platform {

enum class TextAlignment { Left, Center, Right };
enum class LineBreakMode { WordWrap, CharWrap, Clip, HeadTruncation, TailTruncation, MiddleTruncation };

// A read-only text. Labels take no touches unless told to, so a tap on one goes to
// the view behind it.
class Label : public View {
public:
    explicit Label(Rect frame = Rect{});
    std::string className() const override { return "Label"; }

    const std::string& text() const { return text_; }
    void setText(std::string text);
    Font font() const { return font_; }
    void setFont(Font font);
    Color textColor() const { return textColor_; }
    void setTextColor(Color color) { textColor_ = color; }
    std::optional<Color> highlightedTextColor() const { return highlightedTextColor_; }
    void setHighlightedTextColor(std::optional<Color> color) { highlightedTextColor_ = color; }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
    // 0 means as many lines as fit.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines) { numberOfLines_ = lines; }
    LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(LineBreakMode mode) { lineBreakMode_ = mode; }
    std::optional<Color> shadowColor() const { return shadowColor_; }
    void setShadowColor(std::optional<Color> color) { shadowColor_ = color; }
    Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(Size offset) { shadowOffset_ = offset; }
    bool adjustsFontSizeToFitWidth() const { return adjustsFontSize_; }
    void setAdjustsFontSizeToFitWidth(bool adjusts) { adjustsFontSize_ = adjusts; }

    // The lines as drawn in the current frame: wrapped, limited to the lines that fit
    // and to numberOfLines, the last one cut with "..." when text is left over.
    std::vector<std::string> displayedLines() const;

    Size sizeThatFits(Size size) const override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    std::string text_;
    Font font_ = Font::systemFont(17);
    Color textColor_ = Color::black();
    std::optional<Color> highlightedTextColor_;
    bool highlighted_ = false;
    TextAlignment alignment_ = TextAlignment::Left;
    int numberOfLines_ = 1;
    LineBreakMode lineBreakMode_ = LineBreakMode::TailTruncation;
    std::optional<Color> shadowColor_;
    Size shadowOffset_{0, -1};
    bool adjustsFontSize_ = false;
};

const char* textAlignmentName(TextAlignment alignment);

}  // namespace platform
