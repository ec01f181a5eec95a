#pragma once

#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

class GestureRecognizer;
class ViewController;

// The root of a view tree on the screen. It hosts its root screen (and the screens
// presented over it), keeps the first responder, and turns touches at window points
// into deliveries to the front-most view that takes them and to the gesture
// recognisers on the way.
class Window : public View {
public:
    explicit Window(Rect frame);
    ~Window() override;
    std::string className() const override { return "Window"; }

    std::shared_ptr<ViewController> rootViewController() const { return rootViewController_; }
    void setRootViewController(std::shared_ptr<ViewController> controller);
    // Shows the window and makes it the key window; its root screen appears.
    void makeKeyAndVisible();
    bool isKeyWindow() const;
    static std::shared_ptr<Window> keyWindow();
    // Every window shown so far, oldest first (the first is the application's main window).
    static std::vector<std::shared_ptr<Window>> windows();
    // Lays out every window (the main loop does this once per turn when asked).
    static void layoutAllWindows();
    // Forgets every window (tests).
    static void resetAll();

    std::shared_ptr<View> firstResponder() const { return firstResponder_.lock(); }
    // The current first responder resigns (ending its editing) and `view` takes its place.
    bool makeFirstResponder(const std::shared_ptr<View>& view);
    // Forgets `view` as the first responder without asking it (it has resigned).
    void clearFirstResponder(const View* view);
    // A number that changes each time a view takes the focus and holds while it keeps it,
    // however the views around it change (what the browser display's keyboard follows).
    std::uint64_t focusNumber() const { return focusNumber_; }

    // Touches at window points. A touch that begins where no view takes it goes
    // nowhere; the rest of it is ignored. Returns whether a view took the touch.
    // `timestamp` is when the step happened, in seconds on the run loop's clock (now
    // when not given); it never goes back before the touch's previous step.
    bool sendTouch(TouchPhase phase, Point location, std::optional<double> timestamp = std::nullopt);
    // A touch down and up at one point.
    bool tap(Point location);
    // The view a touch at the point would go to.
    std::shared_ptr<View> viewAtPoint(Point location);

    // Screens presented over the root, front-most last (managed by ViewController).
    const std::vector<std::shared_ptr<ViewController>>& presentedControllers() const { return presented_; }
    void pushPresented(const std::shared_ptr<ViewController>& controller);
    void removePresented(const ViewController& controller);

private:
    struct ActiveTouch {
        Touch touch;
        std::shared_ptr<View> view;
        std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
        bool viewCancelled = false;
    };
    void deliverToRecognizers(ActiveTouch& active, TouchPhase phase);
    void cancelViewTouchIfRecognized(ActiveTouch& active);

    std::shared_ptr<ViewController> rootViewController_;
    std::vector<std::shared_ptr<ViewController>> presented_;
    std::weak_ptr<View> firstResponder_;
    std::uint64_t focusNumber_ = 0;
    std::unique_ptr<ActiveTouch> active_;
};

}  // namespace platform
