#include "platform/ui/ViewController.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TabBarItem.h"
#include "platform/ui/Window.h"

namespace platform {

ViewController::ViewController(std::string nibName) : nibName_(std::move(nibName)) {}

ViewController::~ViewController() = default;

Rect ViewController::fullScreenFrame() {
    return Application::shared().systemVersionNumber() >= 7.0 ? Screen::bounds() : Screen::applicationFrame();
}

std::shared_ptr<View> ViewController::view() {
    if (!view_ && !loadingView_) {
        loadingView_ = true;
        loadView();
        if (!view_) {
            view_ = View::create(fullScreenFrame());
        }
        loadingView_ = false;
        viewDidLoad();
    }
    return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
    view_ = std::move(view);
}

void ViewController::loadView() {
    auto view = View::create(fullScreenFrame());
    view->setBackgroundColor(Color::white());
    view->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    view_ = view;
}

NavigationController* ViewController::navigationController() const {
    for (ViewController* p = parent_; p; p = p->parent_) {
        if (auto* nav = dynamic_cast<NavigationController*>(p)) {
            return nav;
        }
    }
    return nullptr;
}

TabBarController* ViewController::tabBarController() const {
    for (ViewController* p = parent_; p; p = p->parent_) {
        if (auto* tab = dynamic_cast<TabBarController*>(p)) {
            return tab;
        }
    }
    return nullptr;
}

std::shared_ptr<TabBarItem> ViewController::tabBarItem() {
    if (!tabBarItem_) {
        tabBarItem_ = std::make_shared<TabBarItem>(title_, nullptr, 0);
    }
    return tabBarItem_;
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
    if (appearing) {
        if (appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared) {
            return;
        }
        view();
        appearance_ = Appearance::Appearing;
        appearanceAnimated_ = animated;
        viewWillAppear(animated);
    } else {
        if (appearance_ == Appearance::Disappearing || appearance_ == Appearance::Disappeared) {
            return;
        }
        appearance_ = Appearance::Disappearing;
        appearanceAnimated_ = animated;
        viewWillDisappear(animated);
    }
    for (const auto& child : visibleChildren()) {
        child->beginAppearanceTransition(appearing, animated);
    }
}

void ViewController::endAppearanceTransition() {
    if (appearance_ == Appearance::Appearing) {
        appearance_ = Appearance::Appeared;
        viewDidAppear(appearanceAnimated_);
    } else if (appearance_ == Appearance::Disappearing) {
        appearance_ = Appearance::Disappeared;
        viewDidDisappear(appearanceAnimated_);
    } else {
        return;
    }
    for (const auto& child : visibleChildren()) {
        child->endAppearanceTransition();
    }
}

void ViewController::deliverMemoryWarning() {
    auto keep = shared_from_this();
    didReceiveMemoryWarning();
    for (const auto& child : childViewControllers()) {
        child->deliverMemoryWarning();
    }
    if (presented_) {
        presented_->deliverMemoryWarning();
    }
}

namespace {

// The screen that fills the window now: the last one presented, else the root.
std::shared_ptr<ViewController> frontController(Window& window) {
    const auto& presented = window.presentedControllers();
    return presented.empty() ? window.rootViewController() : presented.back();
}

}  // namespace

void ViewController::presentViewController(const std::shared_ptr<ViewController>& controller, bool animated,
                                           std::function<void()> completion) {
    if (!controller || presented_ || controller->presenting_) {
        return;  // one presentation at a time, as on the platform
    }
    std::shared_ptr<Window> window = Window::keyWindow();
    if (isViewLoaded() && view_->window()) {
        window = std::static_pointer_cast<Window>(view_->window()->sharedFromThis());
    }
    if (!window) {
        return;
    }
    auto below = frontController(*window);
    presented_ = controller;
    controller->presenting_ = this;
    auto presentedView = controller->view();
    presentedView->setFrame(fullScreenFrame());
    presentedView->setAutoresizingMask(FlexibleWidth | FlexibleHeight);
    window->addSubview(presentedView);
    window->pushPresented(controller);
    if (below) {
        below->beginAppearanceTransition(false, animated);
    }
    controller->beginAppearanceTransition(true, animated);
    finishPresentation(animated, [below, controller, completion = std::move(completion)] {
        if (below) {
            below->endAppearanceTransition();
        }
        controller->endAppearanceTransition();
        if (completion) {
            completion();
        }
    });
}

void ViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion) {
    // Called on the presented screen or on its presenter, as on the platform.
    ViewController* presenter = presented_ ? this : presenting_;
    if (!presenter || !presenter->presented_) {
        return;
    }
    std::shared_ptr<ViewController> controller = presenter->presented_;
    presenter->presented_.reset();
    controller->presenting_ = nullptr;
    std::shared_ptr<Window> window;
    if (controller->isViewLoaded() && controller->view_->window()) {
        window = std::static_pointer_cast<Window>(controller->view_->window()->sharedFromThis());
    }
    std::shared_ptr<ViewController> below;
    if (window) {
        window->removePresented(*controller);
        below = frontController(*window);
    }
    controller->beginAppearanceTransition(false, animated);
    if (below) {
        below->beginAppearanceTransition(true, animated);
    }
    finishPresentation(animated, [below, controller, completion = std::move(completion)] {
        if (controller->isViewLoaded()) {
            controller->view()->removeFromSuperview();
        }
        controller->endAppearanceTransition();
        if (below) {
            below->endAppearanceTransition();
        }
        if (completion) {
            completion();
        }
    });
}

// Ends a presentation or dismissal at once, or when its animation would end.
void ViewController::finishPresentation(bool animated, std::function<void()> finish) {
    if (animated) {
        RunLoop::main().schedule(kTransitionDuration, std::move(finish));
    } else {
        finish();
    }
}

}  // namespace platform
