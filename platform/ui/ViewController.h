#pragma once

#include "platform/ui/InterfaceOrientation.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Control;
class NavigationController;
class TabBarController;
class TabBarItem;

// A screen: owns its view, loaded on first use, and hears when it appears and
// disappears. Containers (navigation stacks, the tab shell) and modal presentation
// drive the appearance callbacks, in the platform's order: will-appear before the
// view shows, did-appear once a transition has finished.
class ViewController : public std::enable_shared_from_this<ViewController> {
public:
    // Pushes and pops, presenting and dismissing, take this long when animated.
    static constexpr double kTransitionDuration = 0.35;

    explicit ViewController(std::string nibName = {});
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // The class name the device API reports; every screen of the app gives its own.
    virtual std::string className() const { return "ViewController"; }
    // The interface description the screen was created from.
    const std::string& nibName() const { return nibName_; }

    // Loads the view on first use: loadView, then viewDidLoad.
    std::shared_ptr<View> view();
    bool isViewLoaded() const { return static_cast<bool>(view_); }
    void setView(std::shared_ptr<View> view);

    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewWillDisappear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}
    virtual void viewDidUnload() {}
    virtual void didReceiveMemoryWarning() {}

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    ViewController* parentViewController() const { return parent_; }
    NavigationController* navigationController() const;
    TabBarController* tabBarController() const;
    bool hidesBottomBarWhenPushed() const { return hidesBottomBarWhenPushed_; }
    void setHidesBottomBarWhenPushed(bool hides) { hidesBottomBarWhenPushed_ = hides; }
    std::shared_ptr<TabBarItem> tabBarItem();
    void setTabBarItem(std::shared_ptr<TabBarItem> item) { tabBarItem_ = std::move(item); }

    // Modal presentation over the whole screen.
    void presentViewController(const std::shared_ptr<ViewController>& controller, bool animated,
                               std::function<void()> completion = {});
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = {});
    std::shared_ptr<ViewController> presentedViewController() const { return presented_; }
    ViewController* presentingViewController() const { return presenting_; }

    // Orientation rules (the platform's defaults).
    virtual bool shouldAutorotate() const { return true; }
    virtual unsigned supportedInterfaceOrientations() const { return OrientationMaskAllButUpsideDown; }
    virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const {
        return orientation == InterfaceOrientation::Portrait;
    }

    // Layout settings of newer systems.
    bool modalPresentationCapturesStatusBarAppearance() const { return capturesStatusBar_; }
    void setModalPresentationCapturesStatusBarAppearance(bool value) { capturesStatusBar_ = value; }
    bool extendedLayoutIncludesOpaqueBars() const { return extendedLayoutIncludesOpaqueBars_; }
    void setExtendedLayoutIncludesOpaqueBars(bool value) { extendedLayoutIncludesOpaqueBars_ = value; }
    unsigned edgesForExtendedLayout() const { return edgesForExtendedLayout_; }
    void setEdgesForExtendedLayout(unsigned edges) { edgesForExtendedLayout_ = edges; }
    bool automaticallyAdjustsScrollViewInsets() const { return adjustsScrollViewInsets_; }
    void setAutomaticallyAdjustsScrollViewInsets(bool value) { adjustsScrollViewInsets_ = value; }
    static constexpr unsigned kRectEdgeNone = 0;
    static constexpr unsigned kRectEdgeAll = 15;

    // The control a person taps to go back from this screen (the device API's back
    // call taps it), or nothing when the screen has none of its own.
    virtual std::shared_ptr<Control> backControl() const { return nullptr; }

    // The screens inside this one (a container's children).
    virtual std::vector<std::shared_ptr<ViewController>> childViewControllers() const { return {}; }
    // Tells this screen and its visible children that their view starts to appear or
    // disappear, then that the transition has ended. Repeated calls are ignored.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();
    bool isAppeared() const { return appearance_ == Appearance::Appeared; }
    bool isOnScreen() const {
        return appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared;
    }
    // Delivers a memory warning to this screen and every screen inside it.
    void deliverMemoryWarning();

    // The frame of a full-screen view: the whole screen on systems from version 7,
    // below the status bar before.
    static Rect fullScreenFrame();

protected:
    // The children that appear and disappear with this screen (a stack's top screen,
    // the selected tab).
    virtual std::vector<std::shared_ptr<ViewController>> visibleChildren() const { return {}; }
    void setParent(ViewController* parent) { parent_ = parent; }
    friend class NavigationController;
    friend class TabBarController;

private:
    static void finishPresentation(bool animated, std::function<void()> finish);

    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

    std::string nibName_;
    std::shared_ptr<View> view_;
    std::string title_;
    ViewController* parent_ = nullptr;
    bool hidesBottomBarWhenPushed_ = false;
    std::shared_ptr<TabBarItem> tabBarItem_;
    std::shared_ptr<ViewController> presented_;
    ViewController* presenting_ = nullptr;
    bool capturesStatusBar_ = false;
    bool extendedLayoutIncludesOpaqueBars_ = false;
    unsigned edgesForExtendedLayout_ = kRectEdgeAll;
    bool adjustsScrollViewInsets_ = true;
    Appearance appearance_ = Appearance::Disappeared;
    bool appearanceAnimated_ = false;
    bool loadingView_ = false;
};

}  // namespace platform
