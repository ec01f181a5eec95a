#include "platform/ui/TabBar.h"

#include "platform/foundation/Json.h"

namespace platform {

TabBar::TabBar(Rect frame) : View(frame), background_(View::create<ImageView>()) {
    setBackgroundColor(Color::white(0.1));
    setOpaque(true);
    background_->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    addSubview(background_);
}

void TabBar::setItems(const std::vector<std::shared_ptr<TabBarItem>>& items) {
    for (const auto& button : buttons_) {
        button->removeFromSuperview();
    }
    buttons_.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto button = std::make_shared<TabBarButton>(items[i], static_cast<int>(i));
        int index = static_cast<int>(i);
        std::weak_ptr<View> weak = weak_from_this();
        button->addAction(
            [weak, index](Control&) {
                auto self = std::static_pointer_cast<TabBar>(weak.lock());
                if (self && self->onSelect_) {
                    self->onSelect_(index);
                }
            },
            TouchUpInside, this);
        buttons_.push_back(button);
        addSubview(button);
    }
    layoutSubviews();
}

void TabBar::setSelectedIndex(int index) {
    for (const auto& button : buttons_) {
        button->setSelected(button->index() == index);
    }
}

void TabBar::setBackgroundImage(std::shared_ptr<Image> image) {
    background_->setImage(std::move(image));
}

void TabBar::layoutSubviews() {
    background_->setFrame(bounds());
    if (buttons_.empty()) {
        return;
    }
    double width = frame().width() / static_cast<double>(buttons_.size());
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setFrame(Rect::make(width * static_cast<double>(i), 0, width, frame().height()));
        buttons_[i]->layoutSubviews();
    }
}

void TabBar::describe(Value& node) const {
    View::describe(node);
    if (auto image = backgroundImage()) {
        node["backgroundImage"] = image->source();
    }
}

}  // namespace platform
