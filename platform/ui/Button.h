#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace platform {

enum class ButtonType { Custom, RoundedRect };
enum class HorizontalAlignment { Center, Left, Right, Fill };

// A control with a title and pictures per state. A value set for the normal state
// stands in for every state that has none of its own.
class Button : public Control {
public:
    explicit Button(Rect frame = Rect{}, ButtonType type = ButtonType::Custom);
    static std::shared_ptr<Button> buttonWithType(ButtonType type);
    std::string className() const override { return "Button"; }

    ButtonType buttonType() const { return type_; }
    void setTitle(std::optional<std::string> title, unsigned state);
    void setTitleColor(std::optional<Color> color, unsigned state);
    void setImage(std::shared_ptr<Image> image, unsigned state);
    void setBackgroundImage(std::shared_ptr<Image> image, unsigned state);

    std::optional<std::string> titleForState(unsigned state) const;
    std::optional<Color> titleColorForState(unsigned state) const;
    std::shared_ptr<Image> imageForState(unsigned state) const;
    std::shared_ptr<Image> backgroundImageForState(unsigned state) const;
    std::string currentTitle() const;
    Color currentTitleColor() const;
    std::shared_ptr<Image> currentImage() const;
    std::shared_ptr<Image> currentBackgroundImage() const;

    std::shared_ptr<Label> titleLabel() const { return titleLabel_; }
    std::shared_ptr<ImageView> imageView() const { return imageView_; }
    EdgeInsets contentEdgeInsets() const { return contentInsets_; }
    void setContentEdgeInsets(EdgeInsets insets);
    EdgeInsets titleEdgeInsets() const { return titleInsets_; }
    void setTitleEdgeInsets(EdgeInsets insets);
    EdgeInsets imageEdgeInsets() const { return imageInsets_; }
    void setImageEdgeInsets(EdgeInsets insets);
    HorizontalAlignment contentHorizontalAlignment() const { return horizontalAlignment_; }
    void setContentHorizontalAlignment(HorizontalAlignment alignment);

    void setEnabled(bool enabled) override;
    void setSelected(bool selected) override;
    void setHighlighted(bool highlighted) override;
    void layoutSubviews() override;
    Size sizeThatFits(Size size) const override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    template <typename T>
    static const T* lookup(const std::map<unsigned, T>& table, unsigned state);
    void refresh();
    void layoutParts();

    ButtonType type_;
    std::map<unsigned, std::string> titles_;
    std::map<unsigned, Color> titleColors_;
    std::map<unsigned, std::shared_ptr<Image>> images_;
    std::map<unsigned, std::shared_ptr<Image>> backgrounds_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<ImageView> imageView_;
    EdgeInsets contentInsets_;
    EdgeInsets titleInsets_;
    EdgeInsets imageInsets_;
    HorizontalAlignment horizontalAlignment_ = HorizontalAlignment::Center;
};

}  // namespace platform
