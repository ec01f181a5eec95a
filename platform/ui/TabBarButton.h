#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TabBarItem.h"

#include <memory>

namespace platform {

// One item of the tab bar as drawn: its picture above its title, the selected item's
// in the platform's blue tint and the others' in grey (pictures of the app's own for
// the two states are shown as they are).
class TabBarButton : public Control {
public:
    TabBarButton(std::shared_ptr<TabBarItem> item, int index);
    std::string className() const override { return "TabBarButton"; }

    const std::shared_ptr<TabBarItem>& item() const { return item_; }
    int index() const { return index_; }
    void setSelected(bool selected) override;
    // The picture shown now: a finished picture when the item has one, else its plain picture.
    std::shared_ptr<Image> displayedImage() const;
    void refresh();

    void layoutSubviews() override;
    Value screenEntry() const override;

private:
    void layoutParts();

    std::shared_ptr<TabBarItem> item_;
    int index_;
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<Label> titleLabel_;
};

}  // namespace platform
