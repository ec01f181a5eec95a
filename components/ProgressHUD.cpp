#include "components/ProgressHUD.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Font.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>

using platform::Color;
using platform::Font;
using platform::Point;
using platform::Rect;
using platform::Size;
using platform::View;

namespace {

// Depth first, back to front: the last overlay found is the front-most.
void findFrontMost(const View& view, std::shared_ptr<ProgressHUD>& found) {
    for (const auto& child : view.subviews()) {
        if (auto hud = std::dynamic_pointer_cast<ProgressHUD>(child); hud && hud->isVisibleInWindow()) {
            found = hud;
        }
        findFrontMost(*child, found);
    }
}

}  // namespace

ProgressHUD::ProgressHUD(const View& host) : View(Rect{Point{}, host.bounds().size}) {
    setUp();
}

ProgressHUD::ProgressHUD(Rect frame) : View(frame) {
    setUp();
}

void ProgressHUD::setUp() {
    setBackgroundColor(Color::clear());
    setOpaque(false);
    setAlpha(0);
    setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);

    box_ = View::create<View>();
    box_->setBackgroundColor(Color{0, 0, 0, kBoxOpacity});
    box_->setCornerRadius(kCornerRadius);
    addSubview(box_);

    indicator_ = View::create<platform::ActivityIndicatorView>(platform::ActivityIndicatorStyle::WhiteLarge);
    indicator_->setFrame(Rect::make(0, 0, kIndicatorSize, kIndicatorSize));
    indicator_->startAnimating();
    box_->addSubview(indicator_);

    label_ = View::create<platform::Label>();
    label_->setFont(Font::boldSystemFont(kLabelFontSize));
    label_->setTextColor(Color::white());
    label_->setBackgroundColor(Color::clear());
    label_->setOpaque(false);
    label_->setTextAlignment(platform::TextAlignment::Center);
    label_->setAdjustsFontSizeToFitWidth(false);
    box_->addSubview(label_);

    layoutBox();
}

void ProgressHUD::setLabelText(std::string text) {
    labelText_ = std::move(text);
    label_->setText(labelText_);
    layoutBox();
}

void ProgressHUD::layoutBox() {
    Size area = bounds().size;
    double maxWidth = std::max(0.0, area.width - 4 * kMargin);

    Size indicatorSize{std::min(kIndicatorSize, maxWidth), kIndicatorSize};
    Size content = indicatorSize;
    Size labelSize;
    if (!labelText_.empty()) {
        Font font = label_->font();
        labelSize =
            Size{std::min(std::ceil(font.widthOfText(labelText_)), maxWidth), std::ceil(font.lineHeight())};
        content.width = std::max(content.width, labelSize.width);
        content.height += kPadding + labelSize.height;
    }
    Size boxSize{content.width + 2 * kMargin, content.height + 2 * kMargin};

    box_->setFrame(Rect::make(std::round((area.width - boxSize.width) / 2),
                              std::round((area.height - boxSize.height) / 2), boxSize.width, boxSize.height));
    indicator_->setFrame(Rect::make(std::round((boxSize.width - indicatorSize.width) / 2), kMargin,
                                    indicatorSize.width, indicatorSize.height));
    label_->setFrame(Rect::make(std::round((boxSize.width - labelSize.width) / 2),
                                kMargin + indicatorSize.height + kPadding, labelSize.width,
                                labelSize.height));
    label_->setHidden(labelText_.empty());
}

void ProgressHUD::didMoveToSuperview() {
    if (View* host = superview()) {
        setFrame(host->bounds());
        layoutBox();
    }
}

void ProgressHUD::layoutSubviews() {
    // The overlay always covers its whole host, also after the host changed size.
    if (View* host = superview(); host && frame() != host->bounds()) {
        setFrame(host->bounds());
    }
    layoutBox();
}

void ProgressHUD::show(bool animated) {
    ++transitions_;
    finished_ = false;
    showStarted_ = platform::RunLoop::main().clock().now();
    layoutBox();
    if (animated) {
        platform::Animation::animate(kAnimationDuration, [this] { setAlpha(1); });
    } else {
        setAlpha(1);
    }
}

void ProgressHUD::hide(bool animated) {
    unsigned transition = ++transitions_;
    if (!animated) {
        finishHiding();
        return;
    }
    std::weak_ptr<View> weak = weak_from_this();
    platform::Animation::animate(
        kAnimationDuration, [this] { setAlpha(0); },
        [weak, transition](bool /*finished*/) {
            auto self = std::static_pointer_cast<ProgressHUD>(weak.lock());
            // A show that came during the fade wins over its end.
            if (self && self->transitions_ == transition) {
                self->finishHiding();
            }
        });
}

void ProgressHUD::finishHiding() {
    setAlpha(0);
    finished_ = true;
    if (wasHidden_) {
        auto handler = wasHidden_;
        handler(*this);
    }
}

// The overlay is the end of the line for touches on it: they never reach the host.
void ProgressHUD::touchesBegan(const platform::Touch& /*touch*/) {}
void ProgressHUD::touchesMoved(const platform::Touch& /*touch*/) {}
void ProgressHUD::touchesEnded(const platform::Touch& /*touch*/) {}
void ProgressHUD::touchesCancelled(const platform::Touch& /*touch*/) {}

void ProgressHUD::describe(platform::Value& node) const {
    View::describe(node);
    node["labelText"] = labelText_;
}

std::shared_ptr<ProgressHUD> ProgressHUD::frontMostVisible(View& root) {
    std::shared_ptr<ProgressHUD> found;
    if (auto* hud = dynamic_cast<ProgressHUD*>(&root); hud && hud->isVisibleInWindow()) {
        found = std::static_pointer_cast<ProgressHUD>(hud->weak_from_this().lock());
    }
    findFrontMost(root, found);
    return found;
}

std::optional<std::string> ProgressHUD::visibleLabelText() {
    std::shared_ptr<ProgressHUD> found;
    for (const auto& window : platform::Window::windows()) {
        if (auto hud = frontMostVisible(*window)) {
            found = hud;
        }
    }
    if (!found) {
        return std::nullopt;
    }
    return found->labelText();
}
