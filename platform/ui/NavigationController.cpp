#include "platform/ui/NavigationController.h"

#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"

#include <algorithm>

namespace platform {

NavigationController::NavigationController(std::shared_ptr<ViewController> root) {
    if (root) {
        root->setParent(this);
        stack_.push_back(std::move(root));
    }
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
    return stack_.empty() ? nullptr : stack_.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
    auto top = topViewController();
    if (top && top->presentedViewController()) {
        return top->presentedViewController();
    }
    return top;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::visibleChildren() const {
    auto top = topViewController();
    return top ? std::vector<std::shared_ptr<ViewController>>{top} : std::vector<std::shared_ptr<ViewController>>{};
}

bool NavigationController::hidesBottomBar() const {
    // The root never hides the bar; any screen pushed above it can.
    return std::any_of(stack_.begin() + (stack_.empty() ? 0 : 1), stack_.end(),
                       [](const auto& c) { return c->hidesBottomBarWhenPushed(); });
}

void NavigationController::loadView() {
    auto container = View::create(fullScreenFrame());
    container->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    container->setClipsToBounds(true);
    setView(container);
    bar_ = View::create(Rect{});
    bar_->setBackgroundColor(Color::white(0.97));
    barTitle_ = View::create<Label>();
    barTitle_->setFont(Font::boldSystemFont(17));
    barTitle_->setTextAlignment(TextAlignment::Center);
    bar_->addSubview(barTitle_);
    if (auto top = topViewController()) {
        install(top);
    }
    layoutBar();
}

// The area below the bar when it shows; the whole container when hidden.
Rect NavigationController::contentFrame() const {
    Rect bounds = const_cast<NavigationController*>(this)->view()->bounds();
    if (barHidden_) {
        return bounds;
    }
    double top = Application::shared().systemVersionNumber() >= 7.0 ? Screen::kStatusBarHeight : 0;
    double barBottom = top + kBarHeight;
    return Rect::make(0, barBottom, bounds.width(), std::max(0.0, bounds.height() - barBottom));
}

void NavigationController::layoutBar() {
    if (!isViewLoaded()) {
        return;
    }
    if (barHidden_) {
        bar_->removeFromSuperview();
        return;
    }
    double top = Application::shared().systemVersionNumber() >= 7.0 ? Screen::kStatusBarHeight : 0;
    double width = view()->bounds().width();
    bar_->setFrame(Rect::make(0, 0, width, top + kBarHeight));
    bar_->setAutoresizingMask(FlexibleWidth);
    barTitle_->setFrame(Rect::make(60, top, width - 120, kBarHeight));
    auto topController = topViewController();
    barTitle_->setText(topController ? topController->title() : std::string());
    view()->addSubview(bar_);
}

void NavigationController::install(const std::shared_ptr<ViewController>& controller) {
    auto childView = controller->view();
    childView->setFrame(contentFrame());
    childView->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    view()->addSubview(childView);
}

void NavigationController::setNavigationBarHidden(bool hidden, bool) {
    barHidden_ = hidden;
    if (!isViewLoaded()) {
        return;
    }
    layoutBar();
    if (auto top = topViewController()) {
        top->view()->setFrame(contentFrame());
    }
}

void NavigationController::stackChanged() {
    layoutBar();
    if (auto* tabs = tabBarController()) {
        tabs->layoutForSelectedStack();
    }
}

void NavigationController::finishTransition() {
    transitionTimer_.cancel();
    std::function<void()> finish;
    finish.swap(pendingFinish_);
    if (finish) {
        finish();
    }
}

void NavigationController::runTransition(bool animated, std::function<void()> finish) {
    if (!animated) {
        finish();
        return;
    }
    pendingFinish_ = std::move(finish);
    std::weak_ptr<ViewController> weak = weak_from_this();
    transitionTimer_ = RunLoop::main().schedule(kTransitionDuration, [weak] {
        if (auto self = weak.lock()) {
            static_cast<NavigationController&>(*self).finishTransition();
        }
    });
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller, bool animated) {
    if (!controller || std::find(stack_.begin(), stack_.end(), controller) != stack_.end() ||
        controller->parentViewController()) {
        return;
    }
    finishTransition();
    auto previous = topViewController();
    controller->setParent(this);
    stack_.push_back(controller);
    if (!isViewLoaded()) {
        return;
    }
    install(controller);
    stackChanged();
    bool onScreen = isOnScreen();
    if (onScreen) {
        if (previous) {
            previous->beginAppearanceTransition(false, animated);
        }
        controller->beginAppearanceTransition(true, animated);
    }
    runTransition(animated && onScreen, [previous, controller, onScreen] {
        if (previous && previous->isViewLoaded()) {
            previous->view()->removeFromSuperview();
        }
        if (onScreen) {
            if (previous) {
                previous->endAppearanceTransition();
            }
            controller->endAppearanceTransition();
        }
    });
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated) {
    if (stack_.size() <= 1) {
        return nullptr;
    }
    finishTransition();
    std::shared_ptr<ViewController> popped = stack_.back();
    stack_.pop_back();
    auto revealed = topViewController();
    if (!isViewLoaded()) {
        popped->setParent(nullptr);
        return popped;
    }
    auto revealedView = revealed->view();
    revealedView->setFrame(contentFrame());
    revealedView->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    if (popped->isViewLoaded() && popped->view()->superview() == view().get()) {
        view()->insertSubviewBelow(revealedView, *popped->view());
    } else {
        view()->addSubview(revealedView);
    }
    stackChanged();
    bool onScreen = isOnScreen();
    if (onScreen) {
        popped->beginAppearanceTransition(false, animated);
        revealed->beginAppearanceTransition(true, animated);
    }
    runTransition(animated && onScreen, [popped, revealed, onScreen] {
        if (popped->isViewLoaded()) {
            popped->view()->removeFromSuperview();
        }
        if (onScreen) {
            popped->endAppearanceTransition();
            revealed->endAppearanceTransition();
        }
        popped->setParent(nullptr);
    });
    return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewControllerAnimated(bool animated) {
    std::vector<std::shared_ptr<ViewController>> removed;
    if (stack_.size() <= 1) {
        return removed;
    }
    finishTransition();
    // The screens between the root and the top were not on screen: they go quietly.
    while (stack_.size() > 2) {
        auto middle = stack_[1];
        stack_.erase(stack_.begin() + 1);
        if (middle->isViewLoaded()) {
            middle->view()->removeFromSuperview();
        }
        middle->setParent(nullptr);
        removed.push_back(middle);
    }
    if (auto top = popViewControllerAnimated(animated)) {
        removed.push_back(top);
    }
    return removed;
}

}  // namespace platform
