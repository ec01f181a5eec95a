#pragma once

#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <vector>

namespace platform {

enum ControlEvent : unsigned {
    TouchDown = 1 << 0,
    TouchDownRepeat = 1 << 1,
    TouchDragInside = 1 << 2,
    TouchDragOutside = 1 << 3,
    TouchDragEnter = 1 << 4,
    TouchDragExit = 1 << 5,
    TouchUpInside = 1 << 6,
    TouchUpOutside = 1 << 7,
    TouchCancel = 1 << 8,
    ValueChanged = 1 << 12,
    EditingDidBegin = 1 << 16,
    EditingChanged = 1 << 17,
    EditingDidEnd = 1 << 18,
    EditingDidEndOnExit = 1 << 19,
};

enum ControlState : unsigned {
    ControlStateNormal = 0,
    ControlStateHighlighted = 1 << 0,
    ControlStateDisabled = 1 << 1,
    ControlStateSelected = 1 << 2,
};

// A view that turns touches into control events and sends them to its targets.
// A target is held weakly, as on the platform: an action whose target is gone is
// skipped, so a control never keeps its screen alive.
class Control : public View {
public:
    using Action = std::function<void(Control& sender)>;

    using View::View;
    std::string className() const override { return "Control"; }

    // Calls `action` on `target` for each of the events.
    template <typename T, typename Method>
    void addTarget(const std::shared_ptr<T>& target, Method action, unsigned events) {
        std::weak_ptr<T> weak = target;
        addAction(
            [weak, action](Control& sender) {
                if (auto strong = weak.lock()) {
                    ((*strong).*action)(sender);
                }
            },
            events, target.get());
    }
    // A target-less action (the control's own owner wires it).
    void addAction(Action action, unsigned events, const void* owner = nullptr);
    // Removes every action registered with that owner (nullptr: all actions).
    void removeTarget(const void* owner);
    std::size_t actionCount(unsigned events) const;
    // Delivers the events to their actions, in the order they were added.
    void sendActionsForControlEvents(unsigned events);

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected) { selected_ = selected; }
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
    unsigned state() const;

    std::shared_ptr<View> hitTest(Point point) override;
    void touchesBegan(const Touch& touch) override;
    void touchesMoved(const Touch& touch) override;
    void touchesEnded(const Touch& touch) override;
    void touchesCancelled(const Touch& touch) override;
    void describe(Value& node) const override;

protected:
    // A control tracks a touch while the finger stays within this margin of its bounds.
    static constexpr double kTrackingMargin = 70;
    bool isInsideForTracking(Point local) const;
    bool tracking_ = false;

private:
    struct Entry {
        Action action;
        unsigned events;
        const void* owner;
    };
    std::vector<Entry> actions_;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
};

}  // namespace platform
