#include "screens/FlickTabButton.h"

FlickTabButton::FlickTabButton(platform::Rect frame) : platform::Control(frame) {
    setBackgroundColor(platform::Color::clear());

    _imageView = platform::View::create<platform::ImageView>(platform::Rect::make(0, 0, 100, kImageHeight));
    _imageView->setBackgroundColor(platform::Color::clear());
    _imageView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _imageView->setUserInteractionEnabled(false);
    addSubview(_imageView);

    _label = platform::View::create<platform::Label>(
        platform::Rect::make(0, kLabelTop, frame.width(), frame.height() - kImageHeight));
    _label->setBackgroundColor(platform::Color::clear());
    _label->setTextAlignment(platform::TextAlignment::Left);
    _label->setFont(platform::Font::boldSystemFont(11));
    _label->setNumberOfLines(2);
    _label->setTextColor(platform::Color::white(0.41));
    _label->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    addSubview(_label);
}
