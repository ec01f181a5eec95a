#include "screens/CourseCell.h"

#include "imageloader/ImageViewWebCache.h"
#include "platform/foundation/Json.h"
#include "platform/image/Image.h"

CourseCell::CourseCell() : platform::TableViewCell(platform::CellStyle::Default, kReuseIdentifier) {
    _mainImg = platform::View::create<platform::ImageView>(platform::Rect::make(10, 10, 100, 65));
    _mainImg->setContentMode(platform::ContentMode::ScaleAspectFill);
    _mainImg->setClipsToBounds(true);
    contentView()->addSubview(_mainImg);

    _nameLabel = platform::View::create<platform::Label>(platform::Rect::make(120, 10, 170, 65));
    _nameLabel->setFont(platform::Font::boldSystemFont(16));
    _nameLabel->setTextColor(platform::Color::white(0.2));
    _nameLabel->setNumberOfLines(2);
    _nameLabel->setAutoresizingMask(platform::FlexibleWidth);
    contentView()->addSubview(_nameLabel);
}

std::shared_ptr<CourseCell> CourseCell::create() {
    return platform::View::create<CourseCell>();
}

void CourseCell::setCellData(const platform::Value& category) {
    _nameLabel->setText(platform::Json::stringForKey(category, "title").value_or(""));
    ImageViewWebCache::setImageWithURL(_mainImg, platform::Json::stringForKey(category, "image").value_or(""),
                                       platform::Image::named(kPlaceholder));
}
