#include "platform/ui/Switch.h"

#include "platform/foundation/Json.h"

namespace platform {

Switch::Switch(Rect frame) : Control(Rect{frame.origin, Size{kWidth, kHeight}}) {}

// A switch keeps its own size wherever it is placed, as on the platform.
void Switch::setFrame(Rect frame) {
    Control::setFrame(Rect{frame.origin, Size{kWidth, kHeight}});
}

void Switch::setOn(bool on, bool) {
    on_ = on;
}

void Switch::touchesEnded(const Touch& touch) {
    bool wasTracking = tracking_;
    bool inside = isInsideForTracking(touch.locationIn(*this));
    Control::touchesEnded(touch);
    if (wasTracking && inside && isEnabled()) {
        on_ = !on_;
        sendActionsForControlEvents(ValueChanged);
    }
}

Value Switch::screenEntry() const {
    return Value{{"kind", "switch"}, {"on", on_}};
}

void Switch::describe(Value& node) const {
    Control::describe(node);
    node["on"] = on_;
    node["onTint"] = onTint_.css();
}

}  // namespace platform
