#include "components/ToastView.h"

#include "platform/foundation/Json.h"

ToastView::ToastView(platform::Rect frame)
    : Button(frame, platform::ButtonType::Custom), textLabel_(platform::View::create<platform::Label>()) {}

void ToastView::setTextLabel(std::shared_ptr<platform::Label> label) {
    if (!label) {
        return;
    }
    if (textLabel_ && textLabel_->superview() == this) {
        textLabel_->removeFromSuperview();
    }
    textLabel_ = std::move(label);
    addSubview(textLabel_);
}

void ToastView::describe(platform::Value& node) const {
    Button::describe(node);
    node["toast"] = text();
}

platform::Value ToastView::screenEntry() const {
    return platform::Value{{"kind", "toast"}, {"text", text()}};
}
