#include "platform/ui/Button.h"

#include "platform/foundation/Json.h"

#include <algorithm>
#include <cmath>

namespace platform {

Button::Button(Rect frame, ButtonType type)
    : Control(frame), type_(type), titleLabel_(View::create<Label>()), imageView_(View::create<ImageView>()) {
    titleLabel_->setFont(type == ButtonType::Custom ? Font::systemFont(15) : Font::boldSystemFont(15));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setBackgroundColor(Color::clear());
    titleColors_[ControlStateNormal] = type == ButtonType::Custom ? Color::white() : Color::rgb255(0, 122, 255);
    if (type == ButtonType::RoundedRect) {
        titleColors_[ControlStateDisabled] = Color::gray();
    }
    refresh();
}

std::shared_ptr<Button> Button::buttonWithType(ButtonType type) {
    return View::create<Button>(Rect{}, type);
}

template <typename T>
const T* Button::lookup(const std::map<unsigned, T>& table, unsigned state) {
    if (auto it = table.find(state); it != table.end()) {
        return &it->second;
    }
    // A selected and highlighted button falls back to its selected look first.
    if ((state & ControlStateSelected) != 0) {
        if (auto it = table.find(ControlStateSelected); it != table.end()) {
            return &it->second;
        }
    }
    if (auto it = table.find(ControlStateNormal); it != table.end()) {
        return &it->second;
    }
    return nullptr;
}

void Button::setTitle(std::optional<std::string> title, unsigned state) {
    if (title) {
        titles_[state] = std::move(*title);
    } else {
        titles_.erase(state);
    }
    refresh();
}

void Button::setTitleColor(std::optional<Color> color, unsigned state) {
    if (color) {
        titleColors_[state] = *color;
    } else {
        titleColors_.erase(state);
    }
    refresh();
}

void Button::setImage(std::shared_ptr<Image> image, unsigned state) {
    if (image) {
        images_[state] = std::move(image);
    } else {
        images_.erase(state);
    }
    refresh();
}

void Button::setBackgroundImage(std::shared_ptr<Image> image, unsigned state) {
    if (image) {
        backgrounds_[state] = std::move(image);
    } else {
        backgrounds_.erase(state);
    }
    refresh();
}

std::optional<std::string> Button::titleForState(unsigned s) const {
    const std::string* found = lookup(titles_, s);
    return found ? std::optional<std::string>(*found) : std::nullopt;
}

std::optional<Color> Button::titleColorForState(unsigned s) const {
    const Color* found = lookup(titleColors_, s);
    return found ? std::optional<Color>(*found) : std::nullopt;
}

std::shared_ptr<Image> Button::imageForState(unsigned s) const {
    const auto* found = lookup(images_, s);
    return found ? *found : nullptr;
}

std::shared_ptr<Image> Button::backgroundImageForState(unsigned s) const {
    const auto* found = lookup(backgrounds_, s);
    return found ? *found : nullptr;
}

std::string Button::currentTitle() const {
    return titleForState(state()).value_or("");
}

Color Button::currentTitleColor() const {
    return titleColorForState(state()).value_or(Color::white());
}

std::shared_ptr<Image> Button::currentImage() const {
    return imageForState(state());
}

std::shared_ptr<Image> Button::currentBackgroundImage() const {
    return backgroundImageForState(state());
}

void Button::setContentEdgeInsets(EdgeInsets insets) {
    contentInsets_ = insets;
    setNeedsLayout();
}

void Button::setTitleEdgeInsets(EdgeInsets insets) {
    titleInsets_ = insets;
    setNeedsLayout();
}

void Button::setImageEdgeInsets(EdgeInsets insets) {
    imageInsets_ = insets;
    setNeedsLayout();
}

void Button::setContentHorizontalAlignment(HorizontalAlignment alignment) {
    horizontalAlignment_ = alignment;
    setNeedsLayout();
}

void Button::setEnabled(bool enabled) {
    Control::setEnabled(enabled);
    refresh();
}

void Button::setSelected(bool selected) {
    Control::setSelected(selected);
    refresh();
}

void Button::setHighlighted(bool highlighted) {
    Control::setHighlighted(highlighted);
    refresh();
}

// Puts the current state's title and picture into the label and image view, and
// lays them out again at once so that reading the button never sees stale parts.
void Button::refresh() {
    titleLabel_->setText(currentTitle());
    titleLabel_->setTextColor(currentTitleColor());
    imageView_->setImage(currentImage());
    layoutParts();
}

void Button::layoutSubviews() {
    layoutParts();
}

void Button::layoutParts() {
    Rect content = Rect::make(contentInsets_.left, contentInsets_.top,
                              frame().width() - contentInsets_.left - contentInsets_.right,
                              frame().height() - contentInsets_.top - contentInsets_.bottom);
    auto image = imageView_->image();
    Size imageSize = image ? image->size() : Size{};
    imageSize.width = std::min(imageSize.width, std::max(0.0, content.width()));
    imageSize.height = std::min(imageSize.height, std::max(0.0, content.height()));
    std::string title = titleLabel_->text();
    Font font = titleLabel_->font();
    double titleWidth = title.empty() ? 0 : std::ceil(font.widthOfText(title));
    titleWidth = std::min(titleWidth, std::max(0.0, content.width() - imageSize.width));
    double titleHeight = title.empty() ? 0 : std::ceil(font.lineHeight());
    double total = imageSize.width + titleWidth;
    double x = content.minX();
    if (horizontalAlignment_ == HorizontalAlignment::Center || horizontalAlignment_ == HorizontalAlignment::Fill) {
        x = content.minX() + (content.width() - total) / 2;
    } else if (horizontalAlignment_ == HorizontalAlignment::Right) {
        x = content.maxX() - total;
    }
    Rect imageFrame = Rect::make(x + imageInsets_.left - imageInsets_.right,
                                 content.minY() + (content.height() - imageSize.height) / 2 + imageInsets_.top -
                                     imageInsets_.bottom,
                                 imageSize.width, imageSize.height);
    Rect titleFrame = Rect::make(x + imageSize.width + titleInsets_.left - titleInsets_.right,
                                 content.minY() + (content.height() - titleHeight) / 2 + titleInsets_.top -
                                     titleInsets_.bottom,
                                 titleWidth, titleHeight);
    imageView_->setFrame(imageFrame);
    titleLabel_->setFrame(titleFrame);
    if (image && imageView_->superview() != this) {
        addSubview(imageView_);
    } else if (!image && imageView_->superview() == this) {
        imageView_->removeFromSuperview();
    }
    if (!title.empty() && titleLabel_->superview() != this) {
        addSubview(titleLabel_);
    } else if (title.empty() && titleLabel_->superview() == this) {
        titleLabel_->removeFromSuperview();
    }
}

Size Button::sizeThatFits(Size) const {
    auto image = currentImage();
    Size imageSize = image ? image->size() : Size{};
    std::string title = currentTitle();
    Font font = titleLabel_->font();
    double width = imageSize.width + std::ceil(font.widthOfText(title));
    double height = std::max(imageSize.height, title.empty() ? 0.0 : std::ceil(font.lineHeight()));
    return Size{width + contentInsets_.left + contentInsets_.right, height + contentInsets_.top + contentInsets_.bottom};
}

Value Button::screenEntry() const {
    Value entry{{"kind", "button"}, {"text", currentTitle()}};
    if (isSelected()) {
        entry["selected"] = true;
    }
    if (!isEnabled()) {
        entry["enabled"] = false;
    }
    if (auto image = currentImage()) {
        entry["image"] = image->source();
    }
    return entry;
}

void Button::describe(Value& node) const {
    Control::describe(node);
    if (auto background = currentBackgroundImage()) {
        node["backgroundImage"] = background->source();
    }
}

}  // namespace platform
