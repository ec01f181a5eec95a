#include "platform/device/ScreenReader.h"

#include "platform/foundation/Json.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

Value frameValue(const Rect& rect) {
    return Value::array({rect.minX(), rect.minY(), rect.width(), rect.height()});
}

bool isOpaqueCover(const View& view) {
    auto background = view.backgroundColor();
    return background && background->alpha >= 1.0 && view.alpha() >= 1.0;
}

Value alertValue() {
    auto alert = AlertView::frontAlert();
    if (!alert) {
        return nullptr;
    }
    return Value{{"title", alert->title()},
                 {"message", alert->message()},
                 {"buttons", alert->buttonTitles()},
                 {"tag", alert->tag()}};
}

}  // namespace

ScreenReader::ScreenReader(Window& window) : window_(window) {}

std::optional<std::string> ScreenReader::firstText(const View& view) {
    if (const auto* label = dynamic_cast<const Label*>(&view); label && !label->text().empty()) {
        return label->text();
    }
    for (const auto& child : view.subviews()) {
        if (auto text = firstText(*child)) {
            return text;
        }
    }
    return std::nullopt;
}

void ScreenReader::collect(const View& view, Rect clip, Listing& listing, std::size_t& order) const {
    if (view.isHidden() || view.alpha() < 0.01) {
        return;
    }
    Rect inWindow = view.frameInWindow();
    Rect visible = inWindow.intersection(clip);
    Drawn drawn{&view, visible, order++};
    std::string className = view.className();
    if (className == "Toast") {
        listing.toasts.push_back(firstText(view).value_or(""));
    } else if (className == "ProgressHUD") {
        listing.hud = firstText(view).value_or("");
    }
    bool listed = false;
    if (!visible.isEmpty()) {
        Value entry = view.screenEntry();
        listed = !entry.is_null();
        if (listed) {
            entry["frame"] = frameValue(inWindow);
            listing.entries.emplace_back(drawn, std::move(entry));
        }
        if (isOpaqueCover(view)) {
            listing.opaque.push_back(drawn);
        }
    }
    Rect childClip = view.clipsToBounds() ? visible : clip;
    // A control that lists itself speaks for its parts (a button's title label and
    // picture), so each thing a person sees is listed once.
    bool partsListed = listed && dynamic_cast<const Control*>(&view) != nullptr;
    for (const auto& child : view.subviews()) {
        collect(*child, partsListed ? Rect{} : childClip, listing, order);
    }
}

// Covered: an opaque view drawn later, and not part of the view itself, hides all of it.
bool ScreenReader::isCovered(const Drawn& drawn, const std::vector<Drawn>& opaque) {
    for (const Drawn& cover : opaque) {
        if (cover.order > drawn.order && !cover.view->isDescendantOf(*drawn.view) &&
            cover.visible.contains(drawn.visible)) {
            return true;
        }
    }
    return false;
}

ScreenReader::Listing ScreenReader::listing() const {
    window_.layoutIfNeeded();
    Listing result;
    std::size_t order = 0;
    collect(window_, window_.bounds(), result, order);
    return result;
}

Value ScreenReader::views() const {
    return uncovered(listing());
}

Value ScreenReader::uncovered(const Listing& all) {
    Value views = Value::array();
    for (const auto& [drawn, entry] : all.entries) {
        if (!isCovered(drawn, all.opaque)) {
            views.push_back(entry);
        }
    }
    return views;
}

std::shared_ptr<ViewController> ScreenReader::frontController() const {
    const auto& presented = window_.presentedControllers();
    if (!presented.empty()) {
        return presented.back();
    }
    auto root = window_.rootViewController();
    if (auto* tabs = dynamic_cast<TabBarController*>(root.get())) {
        root = tabs->selectedViewController();
    }
    if (auto* nav = dynamic_cast<NavigationController*>(root.get())) {
        return nav->topViewController();
    }
    return root;
}

Value ScreenReader::screen() const {
    Listing all = listing();
    Value views = uncovered(all);
    Value result = Value::object();
    auto root = window_.rootViewController();
    auto* tabs = dynamic_cast<TabBarController*>(root.get());
    result["tab"] = tabs ? Value(tabs->selectedIndex()) : Value(nullptr);
    Value screens = Value::array();
    auto shown = tabs ? tabs->selectedViewController() : root;
    if (auto* nav = dynamic_cast<NavigationController*>(shown.get())) {
        for (const auto& controller : nav->viewControllers()) {
            screens.push_back(controller->className());
        }
    } else if (shown) {
        screens.push_back(shown->className());
    }
    for (const auto& controller : window_.presentedControllers()) {
        screens.push_back(controller->className());
    }
    result["screens"] = screens;
    result["views"] = views;
    result["toasts"] = all.toasts;
    result["alert"] = alertValue();
    result["hud"] = all.hud ? Value(*all.hud) : Value(nullptr);
    return result;
}

Value ScreenReader::describeTree(const View& view) const {
    Value node = Value::object();
    view.describe(node);
    // The browser display lays out pictures by their size in points, which only
    // the app knows ("@2x" files are twice as many pixels).
    if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) {
        if (auto image = imageView->displayedImage()) {
            node["imageSize"] = {image->size().width, image->size().height};
        }
    }
    if (view.isHidden()) {
        return node;  // nothing of a hidden view is drawn
    }
    Value children = Value::array();
    for (const auto& child : view.subviews()) {
        children.push_back(describeTree(*child));
    }
    if (!children.empty()) {
        node["children"] = std::move(children);
    }
    return node;
}

Value ScreenReader::tree() const {
    window_.layoutIfNeeded();
    const Application& app = Application::shared();
    return Value{{"window", describeTree(window_)},
                 {"alert", alertValue()},
                 {"statusBar",
                  {{"style", static_cast<int>(app.statusBarStyle())},
                   {"orientation", static_cast<int>(app.statusBarOrientation())}}},
                 {"systemVersion", app.systemVersion()}};
}

}  // namespace platform
