#pragma once

#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ViewController.h"

#include <cstddef>
#include <memory>
#include <string>

class SlideSwitchView;

// What the owner of a channel switcher supplies (tabs, titles, pages) and hears
// (pans at the ends of the pages, the selected tab). The last three are optional.
class SlideSwitchViewDelegate {
public:
    virtual ~SlideSwitchViewDelegate() = default;

    virtual std::size_t numberOfTab(SlideSwitchView& view) = 0;
    virtual std::string titleOfIndex(std::size_t index) = 0;
    // The screen whose view is the tab's page; nothing leaves the tab out.
    virtual std::shared_ptr<platform::ViewController> viewOfTab(SlideSwitchView& view, std::size_t index) = 0;
    virtual void panLeftEdge(SlideSwitchView& /*view*/, platform::PanGestureRecognizer& /*pan*/) {}
    virtual void panRightEdge(SlideSwitchView& /*view*/, platform::PanGestureRecognizer& /*pan*/) {}
    virtual void didselectTab(SlideSwitchView& /*view*/, std::size_t /*index*/) {}
};
