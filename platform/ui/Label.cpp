#include "platform/ui/Label.h"

#include "platform/foundation/Json.h"

#include <cmath>

namespace platform {

Label::Label(Rect frame) : View(frame) {
    setUserInteractionEnabled(false);
}

void Label::setText(std::string text) {
    text_ = std::move(text);
    setNeedsLayout();
}

void Label::setFont(Font font) {
    font_ = font;
    setNeedsLayout();
}

std::vector<std::string> Label::displayedLines() const {
    if (text_.empty()) {
        return {};
    }
    double width = frame().width();
    int fitting = std::max(1, static_cast<int>(std::floor(frame().height() / font_.lineHeight() + 1e-9)));
    int limit = numberOfLines_ > 0 ? std::min(numberOfLines_, fitting) : fitting;
    if (numberOfLines_ == 1) {
        limit = 1;
    }
    std::vector<std::string> all = font_.linesOfText(text_, width > 0 ? width : 1e9);
    if (static_cast<int>(all.size()) <= limit) {
        return all;
    }
    std::vector<std::string> lines(all.begin(), all.begin() + limit);
    if (lineBreakMode_ == LineBreakMode::TailTruncation && !lines.empty()) {
        // Cut the last line so that it and the ellipsis fit the width.
        std::string& last = lines.back();
        std::vector<std::string> parts = font_.linesOfText(last, std::max(0.0, width - font_.widthOfText("...")), 1);
        last = (parts.empty() ? std::string() : parts.front()) + "...";
    }
    return lines;
}

Size Label::sizeThatFits(Size size) const {
    Size constraint{size.width > 0 ? size.width : 1e9, 1e9};
    if (numberOfLines_ == 1) {
        return Size{std::ceil(font_.widthOfText(text_)), std::ceil(font_.lineHeight())};
    }
    Size fitted = font_.sizeOfText(text_, constraint, numberOfLines_);
    return fitted;
}

Value Label::screenEntry() const {
    if (text_.empty()) {
        return nullptr;
    }
    return Value{{"kind", "label"}, {"text", text_}};
}

const char* textAlignmentName(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::Center:
            return "center";
        case TextAlignment::Right:
            return "right";
        case TextAlignment::Left:
            break;
    }
    return "left";
}

void Label::describe(Value& node) const {
    View::describe(node);
    node["text"] = text_;
    node["lines"] = displayedLines();
    node["font"] = {{"size", font_.pointSize}, {"bold", font_.bold}};
    node["color"] = (highlighted_ && highlightedTextColor_ ? *highlightedTextColor_ : textColor_).css();
    node["align"] = textAlignmentName(alignment_);
    node["numberOfLines"] = numberOfLines_;
    if (shadowColor_) {
        node["shadow"] = {{"color", shadowColor_->css()}, {"offset", {shadowOffset_.width, shadowOffset_.height}}};
    }
}

}  // namespace platform
