#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

#include <memory>
#include <string>

// A course tile of a home page section: the picture on top and a two-line caption
// under it. The whole tile takes the tap; the picture and the caption take none.
class FlickTabButton : public platform::Control {
public:
    static constexpr double kImageHeight = 65;
    static constexpr double kLabelTop = 67;

    explicit FlickTabButton(platform::Rect frame);
    std::string className() const override { return "FlickTabButton"; }

    const std::string& text() const { return _label->text(); }
    void setText(std::string text) { _label->setText(std::move(text)); }
    platform::Font font() const { return _label->font(); }

    const std::shared_ptr<platform::ImageView>& imageView() const { return _imageView; }
    const std::shared_ptr<platform::Label>& label() const { return _label; }

private:
    std::shared_ptr<platform::ImageView> _imageView;
    std::shared_ptr<platform::Label> _label;
};
