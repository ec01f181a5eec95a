#pragma once

#include "platform/ui/TabBar.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <vector>

namespace platform {

// The tab shell: one screen per tab, the selected one shown above the tab bar.
// A tap on a tab selects it; a tap on the selected tab takes its navigation stack
// back to the root. The bar hides while the selected stack holds a pushed screen
// that asked for it.
class TabBarController : public ViewController {
public:
    TabBarController();
    std::string className() const override { return "TabBarController"; }

    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers);
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return controllers_; }
    int selectedIndex() const { return selectedIndex_; }
    void setSelectedIndex(int index);
    std::shared_ptr<ViewController> selectedViewController() const;
    std::shared_ptr<TabBar> tabBar();
    bool isTabBarHidden() const { return tabBarHidden_; }

    void loadView() override;
    std::vector<std::shared_ptr<ViewController>> childViewControllers() const override { return controllers_; }
    // Places the selected screen and shows or hides the bar for its stack.
    void layoutForSelectedStack();

protected:
    std::vector<std::shared_ptr<ViewController>> visibleChildren() const override;

private:
    void tabTapped(int index);
    void showSelected();

    std::vector<std::shared_ptr<ViewController>> controllers_;
    int selectedIndex_ = 0;
    std::shared_ptr<TabBar> tabBar_;
    bool tabBarHidden_ = false;
};

}  // namespace platform
