#pragma once

#include "platform/ui/Control.h"

namespace platform {

// An on/off switch; a tap flips it and sends ValueChanged.
class Switch : public Control {
public:
    static constexpr double kWidth = 51;
    static constexpr double kHeight = 31;

    explicit Switch(Rect frame = Rect{});
    std::string className() const override { return "Switch"; }

    bool isOn() const { return on_; }
    void setOn(bool on, bool animated = false);
    Color onTintColor() const { return onTint_; }
    void setOnTintColor(Color color) { onTint_ = color; }

    void setFrame(Rect frame) override;
    void touchesEnded(const Touch& touch) override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    bool on_ = false;
    Color onTint_ = Color::rgb255(76, 217, 100);
};

}  // namespace platform
