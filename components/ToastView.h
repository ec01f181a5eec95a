#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

#include <memory>
#include <string>

// The tappable dark box a toast shows on the main window. The view tree and the
// device API recognise a toast by this class (class name "Toast").
class ToastView : public platform::Button {
public:
    explicit ToastView(platform::Rect frame);
    std::string className() const override { return "Toast"; }

    // The label that carries the text, centred in the box.
    std::shared_ptr<platform::Label> textLabel() const { return textLabel_; }
    const std::string& text() const { return textLabel_->text(); }
    void setTextLabel(std::shared_ptr<platform::Label> label);

    void describe(platform::Value& node) const override;
    // Listed as a toast with its text: a tap on it hides it.
    platform::Value screenEntry() const override;

private:
    std::shared_ptr<platform::Label> textLabel_;
};
