#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class Label;

// A stack of screens, the top one shown. Pushing and popping run the appearance
// callbacks of the two screens involved; animated, the did-callbacks come when the
// transition ends. A transition still running when the next one starts is finished
// first, so callbacks never interleave.
class NavigationController : public ViewController {
public:
    static constexpr double kBarHeight = 44;

    explicit NavigationController(std::shared_ptr<ViewController> root);
    std::string className() const override { return "NavigationController"; }

    void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
    std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewControllerAnimated(bool animated);
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
    std::shared_ptr<ViewController> topViewController() const;
    std::shared_ptr<ViewController> visibleViewController() const;

    bool isNavigationBarHidden() const { return barHidden_; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    // True while the stack holds a pushed screen that hides the tab bar.
    bool hidesBottomBar() const;

    void loadView() override;
    std::vector<std::shared_ptr<ViewController>> childViewControllers() const override { return stack_; }
    // Ends a running transition at once (tests, and before the next one starts).
    void finishTransition();

protected:
    std::vector<std::shared_ptr<ViewController>> visibleChildren() const override;

private:
    void install(const std::shared_ptr<ViewController>& controller);
    Rect contentFrame() const;
    void layoutBar();
    void stackChanged();
    void runTransition(bool animated, std::function<void()> finish);

    std::vector<std::shared_ptr<ViewController>> stack_;
    bool barHidden_ = false;
    std::shared_ptr<View> bar_;
    std::shared_ptr<Label> barTitle_;
    std::function<void()> pendingFinish_;
    Timer transitionTimer_;
};

}  // namespace platform
