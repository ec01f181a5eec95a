#include "platform/ui/TabBarButton.h"

#include "platform/foundation/Json.h"

namespace platform {
namespace {

// The platform's tint for the selected item, and the grey of the others.
const Color kSelectedTint = Color::rgb255(0, 122, 255);
const Color kNormalTint = Color::rgb255(146, 146, 146);

}  // namespace

TabBarButton::TabBarButton(std::shared_ptr<TabBarItem> item, int index)
    : item_(std::move(item)), index_(index), imageView_(View::create<ImageView>()), titleLabel_(View::create<Label>()) {
    imageView_->setContentMode(ContentMode::Center);
    titleLabel_->setFont(Font::systemFont(10));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    addSubview(imageView_);
    addSubview(titleLabel_);
    refresh();
}

void TabBarButton::setSelected(bool selected) {
    Control::setSelected(selected);
    refresh();
}

std::shared_ptr<Image> TabBarButton::displayedImage() const {
    auto finished = isSelected() ? item_->finishedSelectedImage() : item_->finishedUnselectedImage();
    return finished ? finished : item_->image();
}

void TabBarButton::refresh() {
    const Color tint = isSelected() ? kSelectedTint : kNormalTint;
    imageView_->setImage(displayedImage());
    // Pictures of the app's own for the two states are shown as they are; a plain
    // picture is a shape that takes the state's colour.
    bool ownPictures = item_->finishedSelectedImage() || item_->finishedUnselectedImage();
    imageView_->setTintColor(ownPictures ? std::nullopt : std::optional<Color>(tint));
    titleLabel_->setText(item_->title());
    titleLabel_->setTextColor(tint);
    layoutParts();
}

void TabBarButton::layoutSubviews() {
    layoutParts();
}

void TabBarButton::layoutParts() {
    double width = frame().width();
    imageView_->setFrame(Rect::make(0, 4, width, 30));
    titleLabel_->setFrame(Rect::make(0, 34, width, 13));
}

Value TabBarButton::screenEntry() const {
    Value entry{{"kind", "tab"}, {"text", item_->title()}, {"selected", isSelected()}, {"tag", item_->tag()}};
    if (auto image = displayedImage()) {
        entry["image"] = image->source();
    }
    return entry;
}

}  // namespace platform
