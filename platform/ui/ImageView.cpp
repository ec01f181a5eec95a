#include "platform/ui/ImageView.h"

#include "platform/foundation/Json.h"

namespace platform {

ImageView::ImageView(Rect frame, std::shared_ptr<Image> image) : View(frame), image_(std::move(image)) {
    setUserInteractionEnabled(false);
}

void ImageView::setImage(std::shared_ptr<Image> image) {
    image_ = std::move(image);
}

std::shared_ptr<Image> ImageView::displayedImage() const {
    return highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
}

Size ImageView::sizeThatFits(Size size) const {
    return image_ ? image_->size() : size;
}

Value ImageView::screenEntry() const {
    auto shown = displayedImage();
    if (!shown) {
        return nullptr;
    }
    return Value{{"kind", "image"}, {"image", shown->source()}};
}

const char* contentModeName(ContentMode mode) {
    switch (mode) {
        case ContentMode::ScaleAspectFit:
            return "aspectFit";
        case ContentMode::ScaleAspectFill:
            return "aspectFill";
        case ContentMode::Center:
            return "center";
        case ContentMode::Top:
            return "top";
        case ContentMode::Left:
            return "left";
        case ContentMode::ScaleToFill:
            break;
    }
    return "fill";
}

void ImageView::describe(Value& node) const {
    View::describe(node);
    if (auto shown = displayedImage()) {
        node["image"] = shown->source();
    }
    if (tintColor_) {
        node["tint"] = tintColor_->css();
    }
    node["contentMode"] = contentModeName(contentMode());
}

}  // namespace platform
