#include "platform/ui/ActivityIndicatorView.h"

#include "platform/foundation/Json.h"

namespace platform {

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(Rect::make(0, 0, style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20,
                      style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20)),
      style_(style) {
    setUserInteractionEnabled(false);
    setHidden(true);
}

void ActivityIndicatorView::startAnimating() {
    animating_ = true;
    setHidden(false);
}

void ActivityIndicatorView::stopAnimating() {
    animating_ = false;
    if (hidesWhenStopped_) {
        setHidden(true);
    }
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    setHidden(hides && !animating_);
}

Color ActivityIndicatorView::color() const {
    return style_ == ActivityIndicatorStyle::Gray ? Color::gray() : Color::white();
}

Value ActivityIndicatorView::screenEntry() const {
    return Value{{"kind", "spinner"}, {"animating", animating_}};
}

void ActivityIndicatorView::describe(Value& node) const {
    View::describe(node);
    node["animating"] = animating_;
    node["color"] = color().css();
    node["large"] = style_ == ActivityIndicatorStyle::WhiteLarge;
}

}  // namespace platform
