#include "platform/ui/TabBarController.h"

#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"

namespace platform {

TabBarController::TabBarController()
    : tabBar_(View::create<TabBar>(Rect::make(0, 0, Screen::kWidth, Screen::kTabBarHeight))) {
}

std::shared_ptr<TabBar> TabBarController::tabBar() {
    view();
    return tabBar_;
}

std::shared_ptr<ViewController> TabBarController::selectedViewController() const {
    if (selectedIndex_ < 0 || selectedIndex_ >= static_cast<int>(controllers_.size())) {
        return nullptr;
    }
    return controllers_[static_cast<std::size_t>(selectedIndex_)];
}

std::vector<std::shared_ptr<ViewController>> TabBarController::visibleChildren() const {
    auto selected = selectedViewController();
    return selected ? std::vector<std::shared_ptr<ViewController>>{selected}
                    : std::vector<std::shared_ptr<ViewController>>{};
}

void TabBarController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers) {
    for (const auto& old : controllers_) {
        if (old->isViewLoaded()) {
            old->view()->removeFromSuperview();
        }
        old->setParent(nullptr);
    }
    controllers_ = std::move(controllers);
    std::vector<std::shared_ptr<TabBarItem>> items;
    for (const auto& controller : controllers_) {
        controller->setParent(this);
        items.push_back(controller->tabBarItem());
    }
    tabBar_->setItems(items);
    if (selectedIndex_ >= static_cast<int>(controllers_.size())) {
        selectedIndex_ = 0;
    }
    tabBar_->setSelectedIndex(selectedIndex_);
    if (isViewLoaded()) {
        showSelected();
    }
}

void TabBarController::loadView() {
    auto container = View::create(fullScreenFrame());
    container->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    setView(container);
    std::weak_ptr<ViewController> weak = weak_from_this();
    tabBar_->setOnSelect([weak](int index) {
        if (auto self = weak.lock()) {
            static_cast<TabBarController&>(*self).tabTapped(index);
        }
    });
    tabBar_->setAutoresizingMask(FlexibleWidth | FlexibleTopMargin);
    container->addSubview(tabBar_);
    showSelected();
}

void TabBarController::showSelected() {
    auto selected = selectedViewController();
    if (selected) {
        auto selectedView = selected->view();
        selectedView->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
        view()->insertSubviewBelow(selectedView, *tabBar_);
    }
    layoutForSelectedStack();
}

void TabBarController::layoutForSelectedStack() {
    if (!isViewLoaded()) {
        return;
    }
    auto selected = selectedViewController();
    auto* nav = dynamic_cast<NavigationController*>(selected.get());
    tabBarHidden_ = nav && nav->hidesBottomBar();
    Rect bounds = view()->bounds();
    tabBar_->setFrame(Rect::make(0, bounds.height() - Screen::kTabBarHeight, bounds.width(), Screen::kTabBarHeight));
    tabBar_->setHidden(tabBarHidden_);
    if (selected) {
        double height = bounds.height() - (tabBarHidden_ ? 0 : Screen::kTabBarHeight);
        selected->view()->setFrame(Rect::make(0, 0, bounds.width(), height));
    }
}

void TabBarController::setSelectedIndex(int index) {
    if (index < 0 || index >= static_cast<int>(controllers_.size()) || index == selectedIndex_) {
        return;
    }
    auto previous = selectedViewController();
    selectedIndex_ = index;
    tabBar_->setSelectedIndex(index);
    if (!isViewLoaded()) {
        return;
    }
    auto next = selectedViewController();
    bool onScreen = isOnScreen();
    if (onScreen && previous) {
        previous->beginAppearanceTransition(false, false);
    }
    if (previous && previous->isViewLoaded()) {
        previous->view()->removeFromSuperview();
    }
    showSelected();
    if (onScreen) {
        next->beginAppearanceTransition(true, false);
        if (previous) {
            previous->endAppearanceTransition();
        }
        next->endAppearanceTransition();
    }
}

void TabBarController::tabTapped(int index) {
    if (index == selectedIndex_) {
        if (auto* nav = dynamic_cast<NavigationController*>(selectedViewController().get())) {
            nav->popToRootViewControllerAnimated(true);
        }
        return;
    }
    setSelectedIndex(index);
}

}  // namespace platform
