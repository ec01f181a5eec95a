#pragma once

#include "platform/ui/ImageView.h"
#include "platform/ui/TabBarButton.h"

#include <functional>
#include <memory>
#include <vector>

namespace platform {

// The strip of tab items along the bottom of the tab shell, items of equal width.
class TabBar : public View {
public:
    explicit TabBar(Rect frame);
    std::string className() const override { return "TabBar"; }

    void setItems(const std::vector<std::shared_ptr<TabBarItem>>& items);
    const std::vector<std::shared_ptr<TabBarButton>>& buttons() const { return buttons_; }
    void setSelectedIndex(int index);
    std::shared_ptr<Image> backgroundImage() const { return background_->image(); }
    void setBackgroundImage(std::shared_ptr<Image> image);
    // Called with the index of a tapped item.
    void setOnSelect(std::function<void(int)> onSelect) { onSelect_ = std::move(onSelect); }

    void layoutSubviews() override;
    void describe(Value& node) const override;

private:
    std::shared_ptr<ImageView> background_;
    std::vector<std::shared_ptr<TabBarButton>> buttons_;
    std::function<void(int)> onSelect_;
};

}  // namespace platform
