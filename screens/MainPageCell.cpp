#include "screens/MainPageCell.h"

#include "components/BrandColor.h"
#include "imageloader/ImageViewWebCache.h"
#include "platform/foundation/Json.h"
#include "platform/image/Image.h"
#include "screens/FlickTabButton.h"
#include "service/ServiceReply.h"

#include <algorithm>
#include <vector>

MainPageCell::MainPageCell() : platform::TableViewCell(platform::CellStyle::Default, kReuseIdentifier) {
    setSelectionStyle(platform::CellSelectionStyle::None);

    _nameLabel = platform::View::create<platform::Label>(platform::Rect::make(10, 6, 220, 24));
    _nameLabel->setFont(platform::Font::boldSystemFont(15));
    _nameLabel->setTextColor(brandColor());
    contentView()->addSubview(_nameLabel);

    _moreBtn = platform::View::create<platform::Button>(platform::Rect::make(240, 4, 56, 28));
    _moreBtn->setTitle(std::string("更多"), platform::ControlStateNormal);
    _moreBtn->setTitleColor(platform::Color::white(0.41), platform::ControlStateNormal);
    _moreBtn->titleLabel()->setFont(platform::Font::systemFont(13));
    contentView()->addSubview(_moreBtn);

    showAllImg_ = platform::View::create<platform::ImageView>(platform::Rect::make(296, 11, 9, 14),
                                                              platform::Image::named(kShowAllImage));
    contentView()->addSubview(showAllImg_);

    _contentScroll = platform::View::create<platform::ScrollView>(
        platform::Rect::make(0, 36, kMinContentWidth, kTileSize));
    _contentScroll->setShowsHorizontalScrollIndicator(false);
    _contentScroll->setShowsVerticalScrollIndicator(false);
    _contentScroll->setContentSize(platform::Size{kMinContentWidth, kTileSize});
    contentView()->addSubview(_contentScroll);
}

std::shared_ptr<MainPageCell> MainPageCell::create() {
    return platform::View::create<MainPageCell>();
}

int MainPageCell::tileTag(std::size_t row, std::size_t index, std::size_t count) {
    if (count >= kCodeStride) {
        return static_cast<int>(index);
    }
    return static_cast<int>(row * kCodeStride + index);
}

void MainPageCell::setCellDatta(const platform::Value& section,
                                const std::shared_ptr<contentClickedDelegate>& delegate,
                                const platform::IndexPath& indexPath) {
    delegate_ = delegate;
    row_ = static_cast<std::size_t>(std::max(indexPath.row, 0));

    std::vector<std::shared_ptr<platform::View>> oldTiles;
    for (const auto& view : _contentScroll->subviews()) {
        if (std::dynamic_pointer_cast<FlickTabButton>(view)) {
            oldTiles.push_back(view);
        }
    }
    for (const auto& tile : oldTiles) {
        tile->removeFromSuperview();
    }

    _nameLabel->setText(platform::Json::stringForKey(section, "title").value_or(""));
    const bool hasMore = ServiceReply::isTrue(section, "hasMore");
    _moreBtn->setHidden(!hasMore);
    showAllImg_->setHidden(!hasMore);

    const platform::Value* courses = platform::Json::find(section, "subList");
    const std::size_t count = courses && courses->is_array() ? courses->size() : 0;
    longSection_ = count >= kCodeStride;
    auto self = std::static_pointer_cast<MainPageCell>(sharedFromThis());
    auto placeholder = platform::Image::named(kPlaceholder);
    for (std::size_t i = 0; i < count; ++i) {
        const platform::Value& course = (*courses)[i];
        auto tile = platform::View::create<FlickTabButton>(
            platform::Rect::make(kTileLeft + kTileStep * static_cast<double>(i), 0, kTileSize, kTileSize));
        tile->setBackgroundColor(platform::Color::clear());
        _contentScroll->addSubview(tile);
        ImageViewWebCache::setImageWithURL(
            tile->imageView(), platform::Json::stringForKey(course, "image").value_or(""), placeholder);
        tile->setText(platform::Json::stringForKey(course, "title").value_or(""));
        tile->setTag(tileTag(row_, i, count));
        tile->addTarget(self, &MainPageCell::contentClicked, platform::TouchUpInside);
    }
    const double width = std::max(kTileStep * static_cast<double>(count) + kTileLeft, kMinContentWidth);
    _contentScroll->setContentSize(platform::Size{width, kTileSize});
    // A reused cell would keep the row where the previous section was scrolled to.
    _contentScroll->setContentOffset(platform::Point{0, 0});
}

void MainPageCell::contentClicked(platform::Control& sender) {
    auto target = delegate_.lock();
    if (!target || sender.tag() < 0) {
        return;
    }
    const auto tag = static_cast<std::size_t>(sender.tag());
    if (longSection_) {
        target->contentImageClickedAt(row_, tag);
    } else {
        target->contentImageClicked(tag);
    }
}
