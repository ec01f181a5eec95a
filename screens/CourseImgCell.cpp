#include "screens/CourseImgCell.h"

#include "imageloader/ImageViewWebCache.h"
#include "platform/foundation/Json.h"
#include "platform/image/Image.h"

CourseImgCell::CourseImgCell() : platform::TableViewCell(platform::CellStyle::Default, kReuseIdentifier) {
    _mainImg = platform::View::create<platform::ImageView>(platform::Rect::make(10, 10, 100, 65));
    _mainImg->setContentMode(platform::ContentMode::ScaleAspectFill);
    _mainImg->setClipsToBounds(true);
    contentView()->addSubview(_mainImg);

    _nameLabel = platform::View::create<platform::Label>(platform::Rect::make(120, 10, 170, 21));
    _nameLabel->setFont(platform::Font::boldSystemFont(15));
    _nameLabel->setTextColor(platform::Color::white(0.2));
    _nameLabel->setAutoresizingMask(platform::FlexibleWidth);
    contentView()->addSubview(_nameLabel);

    _introLabel = platform::View::create<platform::Label>(platform::Rect::make(120, 35, 170, 40));
    _introLabel->setFont(platform::Font::systemFont(12));
    _introLabel->setTextColor(platform::Color::white(0.46));
    _introLabel->setNumberOfLines(2);
    _introLabel->setAutoresizingMask(platform::FlexibleWidth);
    contentView()->addSubview(_introLabel);
}

std::shared_ptr<CourseImgCell> CourseImgCell::create() {
    return platform::View::create<CourseImgCell>();
}

void CourseImgCell::setCellData(const platform::Value& course) {
    _nameLabel->setText(platform::Json::stringForKey(course, "title").value_or(""));
    ImageViewWebCache::setImageWithURL(_mainImg, platform::Json::stringForKey(course, "image").value_or(""),
                                       platform::Image::named(kPlaceholder));
    _introLabel->setText(platform::Json::stringForKey(course, "info").value_or(""));
}

void CourseImgCell::layoutSubviews() {
    platform::TableViewCell::layoutSubviews();
    setBackgroundColor(platform::Color::clear());
    if (const auto& background = backgroundView()) {
        platform::Rect frame = background->frame();
        background->setFrame(platform::Rect::make(0, 0, frame.width(), frame.height()));
    }
    if (const auto& deleteButton = deleteConfirmationButton()) {
        if (platform::View* holder = deleteButton->superview()) {
            holder->bringSubviewToFront(*deleteButton);
        }
    }
}
