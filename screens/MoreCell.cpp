#include "screens/MoreCell.h"

MoreCell::MoreCell() : platform::TableViewCell(platform::CellStyle::Default, kReuseIdentifier) {
    _nameLabel = platform::View::create<platform::Label>(platform::Rect::make(15, 0, 250, 44));
    _nameLabel->setFont(platform::Font::systemFont(16));
    _nameLabel->setTextColor(platform::Color::white(0.2));
    _nameLabel->setAutoresizingMask(platform::FlexibleWidth);
    contentView()->addSubview(_nameLabel);
}

std::shared_ptr<MoreCell> MoreCell::create() {
    return platform::View::create<MoreCell>();
}
