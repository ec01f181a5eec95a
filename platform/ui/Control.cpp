#include "platform/ui/Control.h"

#include "platform/foundation/Json.h"

#include <algorithm>

namespace platform {

void Control::addAction(Action action, unsigned events, const void* owner) {
    if (action && events != 0) {
        actions_.push_back(Entry{std::move(action), events, owner});
    }
}

void Control::removeTarget(const void* owner) {
    actions_.erase(std::remove_if(actions_.begin(), actions_.end(),
                                  [&](const Entry& e) { return owner == nullptr || e.owner == owner; }),
                   actions_.end());
}

std::size_t Control::actionCount(unsigned events) const {
    return static_cast<std::size_t>(
        std::count_if(actions_.begin(), actions_.end(), [&](const Entry& e) { return (e.events & events) != 0; }));
}

void Control::sendActionsForControlEvents(unsigned events) {
    // An action may remove the control or change its actions: run a copy, and keep
    // the control alive until all have run.
    auto keep = sharedFromThis();
    std::vector<Action> due;
    for (const Entry& entry : actions_) {
        if ((entry.events & events) != 0) {
            due.push_back(entry.action);
        }
    }
    for (const Action& action : due) {
        action(*this);
    }
}

unsigned Control::state() const {
    unsigned s = ControlStateNormal;
    if (highlighted_) {
        s |= ControlStateHighlighted;
    }
    if (!enabled_) {
        s |= ControlStateDisabled;
    }
    if (selected_) {
        s |= ControlStateSelected;
    }
    return s;
}

std::shared_ptr<View> Control::hitTest(Point point) {
    auto hit = View::hitTest(point);
    // A control takes the touches of its plain parts (its title label, its image).
    if (hit && hit.get() != this && !dynamic_cast<Control*>(hit.get())) {
        return sharedFromThis();
    }
    return hit;
}

bool Control::isInsideForTracking(Point local) const {
    return bounds().insetBy(-kTrackingMargin, -kTrackingMargin).contains(local);
}

void Control::touchesBegan(const Touch&) {
    if (!enabled_) {
        return;
    }
    tracking_ = true;
    setHighlighted(true);
    sendActionsForControlEvents(TouchDown);
}

void Control::touchesMoved(const Touch& touch) {
    if (!tracking_) {
        return;
    }
    bool inside = isInsideForTracking(touch.locationIn(*this));
    setHighlighted(inside);
    sendActionsForControlEvents(inside ? TouchDragInside : TouchDragOutside);
}

void Control::touchesEnded(const Touch& touch) {
    if (!tracking_) {
        return;
    }
    tracking_ = false;
    setHighlighted(false);
    bool inside = isInsideForTracking(touch.locationIn(*this));
    sendActionsForControlEvents(inside ? TouchUpInside : TouchUpOutside);
}

void Control::touchesCancelled(const Touch&) {
    if (!tracking_) {
        return;
    }
    tracking_ = false;
    setHighlighted(false);
    sendActionsForControlEvents(TouchCancel);
}

void Control::describe(Value& node) const {
    View::describe(node);
    if (!enabled_) {
        node["enabled"] = false;
    }
    if (selected_) {
        node["selected"] = true;
    }
}

}  // namespace platform
