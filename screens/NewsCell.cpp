#include "screens/NewsCell.h"

#include "platform/foundation/Json.h"

NewsCell::NewsCell() : platform::TableViewCell(platform::CellStyle::Default, kReuseIdentifier) {
    _nameLabel = platform::View::create<platform::Label>(platform::Rect::make(10, 8, 300, 24));
    _nameLabel->setFont(platform::Font::boldSystemFont(16));
    _nameLabel->setTextColor(platform::Color::white(0.13));
    _nameLabel->setAutoresizingMask(platform::FlexibleWidth);
    contentView()->addSubview(_nameLabel);

    _introLabel = platform::View::create<platform::Label>(platform::Rect::make(10, 34, 300, 40));
    _introLabel->setFont(platform::Font::systemFont(13));
    _introLabel->setTextColor(platform::Color::white(0.5));
    _introLabel->setNumberOfLines(2);
    _introLabel->setAutoresizingMask(platform::FlexibleWidth);
    contentView()->addSubview(_introLabel);
}

std::shared_ptr<NewsCell> NewsCell::create() {
    return platform::View::create<NewsCell>();
}

void NewsCell::setCellData(const platform::Value& article) {
    _nameLabel->setText(platform::Json::stringForKey(article, "title").value_or(""));
    _introLabel->setText(platform::Json::stringForKey(article, "info").value_or(""));
}
