#include "components/Toast.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Font.h"
#include "platform/ui/Window.h"

#include <cmath>
#include <numbers>

using platform::Application;
using platform::Color;
using platform::Font;
using platform::InterfaceOrientation;
using platform::Label;
using platform::Point;
using platform::Rect;
using platform::RunLoop;
using platform::Size;
using platform::View;
using platform::Window;

namespace {

// How far the box is turned to stand upright in the interface's orientation.
double rotationFor(InterfaceOrientation orientation) {
    switch (orientation) {
        case InterfaceOrientation::PortraitUpsideDown: return std::numbers::pi;
        case InterfaceOrientation::LandscapeRight: return std::numbers::pi / 2;
        case InterfaceOrientation::LandscapeLeft: return -std::numbers::pi / 2;
        case InterfaceOrientation::Portrait: break;
    }
    return 0;
}

bool isLandscape(InterfaceOrientation orientation) {
    return orientation == InterfaceOrientation::LandscapeLeft ||
           orientation == InterfaceOrientation::LandscapeRight;
}

void collectVisibleTexts(const View& view, std::vector<std::string>& texts) {
    for (const auto& child : view.subviews()) {
        if (const auto* box = dynamic_cast<const ToastView*>(child.get()); box && box->isVisibleInWindow()) {
            texts.push_back(box->text());
        }
        collectVisibleTexts(*child, texts);
    }
}

}  // namespace

Toast::Toast() = default;

Toast::Toast(std::string text) : toastText_(std::move(text)) {}

std::shared_ptr<Toast> Toast::showToastWithText(std::string text) {
    auto toast = makeToast(std::move(text));
    toast->show();
    return toast;
}

std::shared_ptr<Toast> Toast::makeToast(std::string text) {
    return std::make_shared<Toast>(std::move(text));
}

Point Toast::placement(const View& window, Size boxSize) const {
    Rect bounds = window.bounds();
    InterfaceOrientation orientation = Application::shared().statusBarOrientation();
    // Work in the interface's upright coordinates, then turn the offset from the
    // window's centre into the window's own coordinates.
    bool landscape = isLandscape(orientation);
    double width = landscape ? bounds.height() : bounds.width();
    double height = landscape ? bounds.width() : bounds.height();
    Point upright{width / 2, height / 2};
    if (Application::shared().systemVersionNumber() >= 5.0) {
        upright.y -= 40;
    }
    if (toastPosition_ == kPositionTop) {
        upright.y = boxSize.height + 45;
    } else if (toastPosition_ == kPositionBottom) {
        upright.y = height - 45 - boxSize.height;
    }
    double dx = upright.x - width / 2;
    double dy = upright.y - height / 2;
    double angle = rotationFor(orientation);
    double turnedX = dx * std::cos(angle) - dy * std::sin(angle);
    double turnedY = dx * std::sin(angle) + dy * std::cos(angle);
    return Point{bounds.midX() + std::round(turnedX), bounds.midY() + std::round(turnedY)};
}

void Toast::show() {
    auto self = weak_from_this().lock();
    auto windows = Window::windows();
    if (!self || windows.empty()) {
        return;
    }
    const std::shared_ptr<Window>& window = windows.front();
    if (view_) {
        view_->removeFromSuperview();  // shown again: the earlier box goes
    }

    Font font = Font::systemFont(kFontSize);
    Size textSize = font.sizeOfText(toastText_, Size{kMaxTextWidth, kMaxTextHeight});

    auto label = View::create<Label>(Rect::make(0, 0, textSize.width + 30, textSize.height + 30));
    label->setBackgroundColor(Color::clear());
    label->setTextColor(Color::white());
    label->setFont(font);
    label->setNumberOfLines(0);
    label->setShadowColor(Color::darkGray());
    label->setShadowOffset(Size{1, 1});
    label->setTextAlignment(platform::TextAlignment::Center);
    label->setText(toastText_);

    auto box = View::create<ToastView>(Rect::make(0, 0, textSize.width + 40, textSize.height + 40));
    label->setCenter(Point{box->bounds().width() / 2, box->bounds().height() / 2});
    box->setTextLabel(label);
    box->setBackgroundColor(Color{0, 0, 0, 0.7});
    box->setCornerRadius(5);

    box->setRotation(rotationFor(Application::shared().statusBarOrientation()));
    box->setCenter(placement(*window, box->frame().size));
    window->addSubview(box);
    view_ = box;
    hiding_ = false;
    unsigned generation = ++generation_;

    RunLoop::main().schedule(toastDuration_ / 1000.0, [self, generation] {
        if (self->generation_ == generation) {
            self->onHideToast();
        }
    });
    std::weak_ptr<Toast> weak = self;
    box->addAction(
        [weak](platform::Control& sender) {
            if (auto toast = weak.lock()) {
                toast->hideToast(&sender);
            }
        },
        platform::TouchUpInside, this);
}

void Toast::hideToast(platform::Control* /*sender*/) {
    doHideToast();
}

void Toast::onHideToast() {
    doHideToast();
}

void Toast::doHideToast() {
    auto self = weak_from_this().lock();
    if (!self || !view_ || hiding_) {
        return;  // a tap already hid it; the display timer finds nothing left to do
    }
    hiding_ = true;
    auto box = view_;
    platform::Animation::animate(platform::Animation::kDefaultDuration, [box] { box->setAlpha(0); });
    unsigned generation = generation_;
    RunLoop::main().schedule(kRemoveDelay, [self, generation] {
        if (self->generation_ == generation) {
            self->onRemoveToast();
        }
    });
}

void Toast::onRemoveToast() {
    if (view_) {
        view_->removeFromSuperview();
    }
}

std::vector<std::string> Toast::visibleToastTexts() {
    std::vector<std::string> texts;
    for (const auto& window : Window::windows()) {
        collectVisibleTexts(*window, texts);
    }
    return texts;
}
