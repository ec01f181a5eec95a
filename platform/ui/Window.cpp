#include "platform/ui/Window.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ViewController.h"

#include <algorithm>

namespace platform {
namespace {

struct Registry {
    std::vector<std::weak_ptr<Window>> windows;
    std::weak_ptr<Window> key;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

Window::Window(Rect frame) : View(frame) {}

Window::~Window() = default;

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
    if (rootViewController_ == controller) {
        return;
    }
    if (rootViewController_ && rootViewController_->isViewLoaded()) {
        rootViewController_->view()->removeFromSuperview();
    }
    rootViewController_ = std::move(controller);
    if (!rootViewController_) {
        return;
    }
    auto view = rootViewController_->view();
    view->setFrame(ViewController::fullScreenFrame());
    view->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    insertSubview(view, 0);
    if (!isHidden() && isKeyWindow()) {
        rootViewController_->beginAppearanceTransition(true, false);
        rootViewController_->endAppearanceTransition();
    }
}

void Window::makeKeyAndVisible() {
    auto self = std::static_pointer_cast<Window>(sharedFromThis());
    Registry& reg = registry();
    bool known = std::any_of(reg.windows.begin(), reg.windows.end(),
                             [&](const auto& weak) { return weak.lock() == self; });
    if (!known) {
        reg.windows.push_back(self);
    }
    bool wasShown = !isHidden() && reg.key.lock() == self;
    reg.key = self;
    setHidden(false);
    if (!wasShown && rootViewController_) {
        rootViewController_->beginAppearanceTransition(true, false);
        rootViewController_->endAppearanceTransition();
    }
    setNeedsLayout();
}

bool Window::isKeyWindow() const {
    return registry().key.lock().get() == this;
}

std::shared_ptr<Window> Window::keyWindow() {
    return registry().key.lock();
}

std::vector<std::shared_ptr<Window>> Window::windows() {
    std::vector<std::shared_ptr<Window>> result;
    for (const auto& weak : registry().windows) {
        if (auto window = weak.lock()) {
            result.push_back(window);
        }
    }
    return result;
}

void Window::layoutAllWindows() {
    for (const auto& window : windows()) {
        window->layoutIfNeeded();
    }
}

void Window::resetAll() {
    registry() = Registry{};
}

bool Window::makeFirstResponder(const std::shared_ptr<View>& view) {
    auto current = firstResponder_.lock();
    if (current == view) {
        return true;
    }
    // The old responder ends its editing first, and may refuse (a field whose
    // delegate will not let it end keeps the focus).
    if (current && !current->resignFirstResponder()) {
        return false;
    }
    firstResponder_.reset();
    if (view && view->window() == this) {
        firstResponder_ = view;
        // Numbered across windows, so a focus in another window never repeats one here.
        static std::uint64_t focusesTaken = 0;
        focusNumber_ = ++focusesTaken;
    }
    return true;
}

void Window::clearFirstResponder(const View* view) {
    if (firstResponder_.lock().get() == view) {
        firstResponder_.reset();
    }
}

std::shared_ptr<View> Window::viewAtPoint(Point location) {
    layoutIfNeeded();
    return hitTest(convertPointFromView(location, nullptr));
}

void Window::deliverToRecognizers(ActiveTouch& active, TouchPhase phase) {
    for (const auto& recognizer : active.recognizers) {
        switch (phase) {
            case TouchPhase::Began: recognizer->touchBegan(active.touch); break;
            case TouchPhase::Moved: recognizer->touchMoved(active.touch); break;
            case TouchPhase::Ended: recognizer->touchEnded(active.touch); break;
            case TouchPhase::Cancelled: recognizer->touchCancelled(active.touch); break;
        }
    }
}

void Window::cancelViewTouchIfRecognized(ActiveTouch& active) {
    if (active.viewCancelled) {
        return;
    }
    bool recognized = std::any_of(active.recognizers.begin(), active.recognizers.end(), [](const auto& r) {
        return r->hasRecognized() && r->cancelsTouchesInView();
    });
    if (recognized) {
        active.viewCancelled = true;
        Touch cancelled = active.touch;
        cancelled.phase = TouchPhase::Cancelled;
        active.view->touchesCancelled(cancelled);
    }
}

bool Window::sendTouch(TouchPhase phase, Point location, std::optional<double> timestamp) {
    double now = timestamp.value_or(RunLoop::main().secondsSince(Clock::TimePoint{}));
    if (phase == TouchPhase::Began) {
        if (active_) {
            sendTouch(TouchPhase::Cancelled, active_->touch.location);
        }
        if (!AlertView::visibleAlerts().empty()) {
            return false;  // an alert on screen takes every touch
        }
        auto hit = viewAtPoint(location);
        if (!hit) {
            return false;
        }
        auto active = std::make_unique<ActiveTouch>();
        active->view = hit;
        active->touch = Touch{TouchPhase::Began, location, location, location, now, now, hit};
        // Recognisers of the view and its ancestors watch the touch; a control keeps
        // its own tap, so the tap recognisers of the views around it stay out.
        bool onControl = dynamic_cast<Control*>(hit.get()) != nullptr;
        for (View* v = hit.get(); v; v = v->superview()) {
            for (const auto& recognizer : v->gestureRecognizers()) {
                if (!recognizer->isEnabled() || (onControl && v != hit.get() && recognizer->isTap())) {
                    continue;
                }
                active->recognizers.push_back(recognizer);
            }
        }
        active_ = std::move(active);
        ActiveTouch& current = *active_;
        deliverToRecognizers(current, TouchPhase::Began);
        // A finger that stops moving content is not heard by what the content shows.
        current.viewCancelled = std::any_of(current.recognizers.begin(), current.recognizers.end(),
                                            [](const auto& r) { return r->holdsTouchFromView(); });
        if (!current.viewCancelled) {
            current.view->touchesBegan(current.touch);
        }
        return true;
    }
    if (!active_) {
        return false;
    }
    ActiveTouch& current = *active_;
    current.touch.previousLocation = current.touch.location;
    current.touch.location = location;
    current.touch.timestamp = std::max(now, current.touch.timestamp);
    current.touch.phase = phase;
    deliverToRecognizers(current, phase);
    if (phase == TouchPhase::Moved) {
        cancelViewTouchIfRecognized(current);
        if (!current.viewCancelled) {
            current.view->touchesMoved(current.touch);
        }
        return true;
    }
    // Ended or cancelled: the touch is over whatever happens below.
    std::unique_ptr<ActiveTouch> finished = std::move(active_);
    if (phase == TouchPhase::Ended) {
        cancelViewTouchIfRecognized(*finished);
    }
    if (!finished->viewCancelled) {
        if (phase == TouchPhase::Ended) {
            finished->view->touchesEnded(finished->touch);
        } else {
            finished->view->touchesCancelled(finished->touch);
        }
    }
    for (const auto& recognizer : finished->recognizers) {
        recognizer->reset();
    }
    return true;
}

bool Window::tap(Point location) {
    if (!sendTouch(TouchPhase::Began, location)) {
        return false;
    }
    sendTouch(TouchPhase::Ended, location);
    return true;
}

void Window::pushPresented(const std::shared_ptr<ViewController>& controller) {
    presented_.push_back(controller);
}

void Window::removePresented(const ViewController& controller) {
    presented_.erase(std::remove_if(presented_.begin(), presented_.end(),
                                    [&](const auto& c) { return c.get() == &controller; }),
                     presented_.end());
}

}  // namespace platform
