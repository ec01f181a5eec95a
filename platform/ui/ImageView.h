#pragma once

#include "platform/image/Image.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>

namespace platform {

// Shows a picture (or its highlighted form) scaled by the content mode. Takes no
// touches unless told to, so tap recognisers on it must enable them.
class ImageView : public View {
public:
    explicit ImageView(Rect frame = Rect{}, std::shared_ptr<Image> image = nullptr);
    std::string className() const override { return "ImageView"; }

    std::shared_ptr<Image> image() const { return image_; }
    virtual void setImage(std::shared_ptr<Image> image);
    std::shared_ptr<Image> highlightedImage() const { return highlightedImage_; }
    void setHighlightedImage(std::shared_ptr<Image> image) { highlightedImage_ = std::move(image); }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
    // The picture on screen now.
    std::shared_ptr<Image> displayedImage() const;
    // When set, the picture is drawn as a template: its shape filled with this colour.
    std::optional<Color> tintColor() const { return tintColor_; }
    void setTintColor(std::optional<Color> color) { tintColor_ = color; }

    Size sizeThatFits(Size size) const override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    std::shared_ptr<Image> image_;
    std::shared_ptr<Image> highlightedImage_;
    bool highlighted_ = false;
    std::optional<Color> tintColor_;
};

const char* contentModeName(ContentMode mode);

}  // namespace platform
