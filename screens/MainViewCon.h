#pragma once

#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <string>

// The home page: a plain screen that draws its own header rather than the common
// title bar.
class MainViewCon : public platform::ViewController {
public:
    explicit MainViewCon(std::string nibName = "MainViewCon");
    std::string className() const override { return "MainViewCon"; }

    void viewDidLoad() override;

private:
    std::shared_ptr<platform::View> _headerView;
};
