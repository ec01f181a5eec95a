#include "platform/device/Device.h"

#include "platform/device/ScreenReader.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/NetworkMonitor.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/LinkFollower.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"

#include <cmath>

namespace platform {
namespace {

std::optional<double> number(const Value& body, const char* key) {
    const Value* value = Json::find(body, key);
    if (!value || !value->is_number()) {
        return std::nullopt;
    }
    double result = value->get<double>();
    return std::isfinite(result) ? std::optional<double>(result) : std::nullopt;
}

std::optional<Point> pointAt(const Value& body, const char* key) {
    const Value* value = Json::find(body, key);
    if (!value || !value->is_array() || value->size() != 2 || !(*value)[0].is_number() ||
        !(*value)[1].is_number()) {
        return std::nullopt;
    }
    Point point{(*value)[0].get<double>(), (*value)[1].get<double>()};
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
        return std::nullopt;
    }
    return point;
}

std::optional<std::string> text(const Value& body, const char* key) {
    const Value* value = Json::find(body, key);
    if (!value || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

LinkFollower* linkFollowerIn(View& view) {
    if (view.isHidden() || view.alpha() < 0.01) {
        return nullptr;
    }
    const auto& children = view.subviews();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (auto* found = linkFollowerIn(**it)) {
            return found;
        }
    }
    return dynamic_cast<LinkFollower*>(&view);
}

DeviceReply noWindow() {
    return DeviceReply::error(409, "the app shows no window");
}

}  // namespace

std::shared_ptr<Window> Device::mainWindow() {
    auto windows = Window::windows();
    if (auto key = Window::keyWindow()) {
        return key;
    }
    return windows.empty() ? nullptr : windows.front();
}

DeviceReply Device::screen() {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    return DeviceReply::ok(ScreenReader(*window).screen());
}

DeviceReply Device::tree() {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    return DeviceReply::ok(ScreenReader(*window).tree());
}

DeviceReply Device::tapPoint(Window& window, Point point) {
    if (AlertView::frontAlert()) {
        return DeviceReply::error(409, "an alert is on screen: answer it first");
    }
    if (!Rect::make(0, 0, window.frame().width(), window.frame().height()).contains(point)) {
        return DeviceReply::error(400, "the point is outside the screen");
    }
    auto target = window.viewAtPoint(point);
    if (!window.tap(point)) {
        return DeviceReply::error(404, "nothing takes a touch at that point");
    }
    return DeviceReply::ok(Value{{"view", target ? target->className() : std::string()}});
}

DeviceReply Device::tap(const Value& body) {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    if (auto wanted = text(body, "text")) {
        const Value* indexValue = Json::find(body, "index");
        if (indexValue && !indexValue->is_number_integer()) {
            return DeviceReply::error(400, "\"index\" must be a whole number");
        }
        long long index = indexValue ? indexValue->get<long long>() : 0;
        Value views = ScreenReader(*window).views();
        long long seen = 0;
        for (const Value& entry : views) {
            const Value* shown = Json::find(entry, "text");
            if (!shown || !shown->is_string() || shown->get<std::string>() != *wanted) {
                continue;
            }
            if (seen++ == index) {
                const Value& frame = entry["frame"];
                Point centre{frame[0].get<double>() + frame[2].get<double>() / 2,
                             frame[1].get<double>() + frame[3].get<double>() / 2};
                return tapPoint(*window, centre);
            }
        }
        return DeviceReply::error(
            404, "no view on screen shows the text \"" + *wanted + "\"" + (seen > 0 ? " at that index" : ""));
    }
    auto x = number(body, "x");
    auto y = number(body, "y");
    if (!x || !y) {
        return DeviceReply::error(400, "give {\"x\": .., \"y\": ..} or {\"text\": .., \"index\": ..}");
    }
    return tapPoint(*window, Point{*x, *y});
}

std::optional<double> Device::stepTime(const Value& body, bool began) {
    const double now = RunLoop::main().secondsSince(Clock::TimePoint{});
    auto sent = number(body, "time");
    if (began) {
        senderClockOffset_.reset();
        if (sent) {
            senderClockOffset_ = now - *sent / 1000;
        }
        return std::nullopt;
    }
    if (!sent || !senderClockOffset_) {
        return std::nullopt;
    }
    // Later steps may map past now: they left the sender further apart than they arrived.
    return *sent / 1000 + *senderClockOffset_;
}

DeviceReply Device::touch(const Value& body) {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    auto phase = text(body, "phase");
    auto x = number(body, "x");
    auto y = number(body, "y");
    const Value* idValue = Json::find(body, "id");
    if (!phase || !x || !y || !idValue || !idValue->is_number_integer()) {
        return DeviceReply::error(
            400, "give {\"phase\": \"began\" | \"moved\" | \"ended\" | \"cancelled\", \"x\": .., \"y\": .., \"id\": N}");
    }
    const long long id = idValue->get<long long>();
    const Point point{*x, *y};
    if (*phase == "began") {
        if (AlertView::frontAlert()) {
            return DeviceReply::error(409, "an alert is on screen: answer it first");
        }
        if (!Rect::make(0, 0, window->frame().width(), window->frame().height()).contains(point)) {
            return DeviceReply::error(400, "the point is outside the screen");
        }
        // A new finger takes the place of one still down (the window cancels that one).
        fingerDown_.reset();
        stepTime(body, true);
        auto target = window->viewAtPoint(point);
        if (!window->sendTouch(TouchPhase::Began, point)) {
            return DeviceReply::error(404, "nothing takes a touch at that point");
        }
        fingerDown_ = id;
        return DeviceReply::ok(Value{{"view", target ? target->className() : std::string()}});
    }
    TouchPhase next = TouchPhase::Moved;
    if (*phase == "ended") {
        next = TouchPhase::Ended;
    } else if (*phase == "cancelled") {
        next = TouchPhase::Cancelled;
    } else if (*phase != "moved") {
        return DeviceReply::error(400, "unknown phase \"" + *phase + "\": began, moved, ended or cancelled");
    }
    if (fingerDown_ != id) {
        return DeviceReply::error(409, "finger " + std::to_string(id) + " is not down");
    }
    if (next != TouchPhase::Moved) {
        fingerDown_.reset();
    }
    // Another call (a tap, say) may have taken the screen from this finger meanwhile.
    if (!window->sendTouch(next, point, stepTime(body, false))) {
        fingerDown_.reset();
        return DeviceReply::error(409, "finger " + std::to_string(id) + " was cancelled");
    }
    return DeviceReply::ok();
}

std::optional<DeviceReply> Device::readStroke(const Value& body, Stroke& stroke) {
    stroke.window = mainWindow();
    if (!stroke.window) {
        return noWindow();
    }
    auto from = pointAt(body, "from");
    auto to = pointAt(body, "to");
    if (!from || !to) {
        return DeviceReply::error(400, "give \"from\" and \"to\" as [x, y]");
    }
    stroke.from = *from;
    stroke.to = *to;
    return std::nullopt;
}

DeviceReply Device::drag(const Value& body) {
    Stroke stroke;
    if (auto refused = readStroke(body, stroke)) {
        return *refused;
    }
    if (AlertView::frontAlert()) {
        return DeviceReply::error(409, "an alert is on screen: answer it first");
    }
    Window& window = *stroke.window;
    const Point from = stroke.from;
    const Point to = stroke.to;
    window.layoutIfNeeded();
    // The innermost view under the finger that can scroll the way the finger moves.
    ScrollView* scroll = ScrollView::scrollViewAt(window, from, Point{to.x - from.x, to.y - from.y});
    if (!scroll) {
        return DeviceReply::error(404, "no scrolling view at that point");
    }
    auto keep = scroll->sharedFromThis();
    // The finger moves in even steps, stops, and lets go: no flick.
    constexpr int kSteps = 8;
    scroll->beginDragging(from);
    for (int i = 1; i <= kSteps; ++i) {
        double t = static_cast<double>(i) / kSteps;
        scroll->dragTo(Point{from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
    }
    scroll->endDragging(Point{0, 0});
    Point offset = scroll->bounds().origin;
    return DeviceReply::ok(Value{{"view", scroll->className()}, {"offset", {offset.x, offset.y}}});
}

DeviceReply Device::strokeThroughTouches(Window& window, Point from, Point to) {
    if (!window.sendTouch(TouchPhase::Began, from)) {
        return DeviceReply::error(404, "nothing takes a touch at that point");
    }
    window.sendTouch(TouchPhase::Moved, Point{(from.x + to.x) / 2, (from.y + to.y) / 2});
    window.sendTouch(TouchPhase::Moved, to);
    window.sendTouch(TouchPhase::Ended, to);
    return DeviceReply::ok(Value{{"by", "touches"}});
}

DeviceReply Device::swipe(const Value& body) {
    Stroke stroke;
    if (auto refused = readStroke(body, stroke)) {
        return *refused;
    }
    Window& window = *stroke.window;
    const Point from = stroke.from;
    const Point to = stroke.to;
    unsigned direction = SwipeGestureRecognizer::directionOfStroke(from, to);
    if (direction == 0) {
        return DeviceReply::error(400, "not a swipe: move at least 50 points, mostly in one direction");
    }
    if (AlertView::frontAlert()) {
        return DeviceReply::error(409, "an alert is on screen: answer it first");
    }
    // A swipe recogniser on the way of the touch takes it first.
    auto hit = window.viewAtPoint(from);
    for (View* v = hit.get(); v; v = v->superview()) {
        for (const auto& recognizer : v->gestureRecognizers()) {
            auto* swipe = dynamic_cast<SwipeGestureRecognizer*>(recognizer.get());
            if (swipe && swipe->isEnabled() && (swipe->direction() & direction) != 0) {
                return strokeThroughTouches(window, from, to);
            }
        }
    }
    // A left swipe across a row of a list offers to delete that row.
    if (auto* table = dynamic_cast<TableView*>(ScrollView::scrollViewAt(window, from));
        table && direction == SwipeDirectionLeft) {
        Point local = table->convertPointFromView(from, nullptr);
        if (auto path = table->indexPathForRowAtPoint(local); path && table->swipeToDelete(*path)) {
            return DeviceReply::ok(
                Value{{"by", "delete confirmation"}, {"section", path->section}, {"row", path->row}});
        }
    }
    ScrollView* scroll = ScrollView::scrollViewAt(window, from, Point{to.x - from.x, to.y - from.y});
    if (scroll) {
        auto keep = scroll->sharedFromThis();
        // A flick: quick, so the content moves on (a paged view to the next page).
        constexpr double kFlickSeconds = 0.1;
        scroll->beginDragging(from);
        scroll->dragTo(to);
        scroll->endDragging(Point{(to.x - from.x) / kFlickSeconds, (to.y - from.y) / kFlickSeconds});
        return DeviceReply::ok(Value{{"by", scroll->className()}});
    }
    return strokeThroughTouches(window, from, to);
}

DeviceReply Device::type(const Value& body) {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    auto typed = text(body, "text");
    if (!typed) {
        return DeviceReply::error(400, "give {\"text\": \"...\"}");
    }
    if (!Json::isValidUtf8(*typed)) {
        return DeviceReply::error(400, "the text is not UTF-8");
    }
    auto responder = window->firstResponder();
    if (auto* field = dynamic_cast<TextField*>(responder.get())) {
        bool changed = field->typeText(*typed);
        return DeviceReply::ok(Value{{"changed", changed}, {"text", field->displayedText()}});
    }
    if (auto* view = dynamic_cast<TextView*>(responder.get())) {
        bool changed = view->typeText(*typed);
        return DeviceReply::ok(Value{{"changed", changed}, {"text", view->text()}});
    }
    return DeviceReply::error(409, "no text field is focused: tap one first");
}

DeviceReply Device::key(const Value& body) {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    auto name = text(body, "key");
    if (!name || *name != "return") {
        return DeviceReply::error(400, "the only key is {\"key\": \"return\"}");
    }
    auto responder = window->firstResponder();
    if (auto* field = dynamic_cast<TextField*>(responder.get())) {
        field->pressReturn();
        return DeviceReply::ok();
    }
    if (auto* view = dynamic_cast<TextView*>(responder.get())) {
        view->pressReturn();
        return DeviceReply::ok();
    }
    return DeviceReply::error(409, "no text field is focused: tap one first");
}

DeviceReply Device::alert(const Value& body) {
    const Value* button = Json::find(body, "button");
    if (!button || !button->is_number_integer()) {
        return DeviceReply::error(400, "give {\"button\": index}");
    }
    auto front = AlertView::frontAlert();
    if (!front) {
        return DeviceReply::error(409, "no alert on screen");
    }
    long long index = button->get<long long>();
    if (index < 0 || index >= front->numberOfButtons()) {
        return DeviceReply::error(400, "the alert has no button " + std::to_string(index));
    }
    std::string title = front->buttonTitleAtIndex(static_cast<int>(index));
    front->clickButtonAtIndex(static_cast<int>(index));
    return DeviceReply::ok(Value{{"button", title}});
}

DeviceReply Device::link(const Value& body) {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    auto url = text(body, "url");
    if (!url) {
        return DeviceReply::error(400, "give {\"url\": \"...\"}");
    }
    if (AlertView::frontAlert()) {
        return DeviceReply::error(409, "an alert is on screen: answer it first");
    }
    LinkFollower* follower = linkFollowerIn(*window);
    if (!follower) {
        return DeviceReply::error(409, "no web view on screen");
    }
    follower->followLink(*url);
    return DeviceReply::ok();
}

DeviceReply Device::back(const Value&) {
    auto window = mainWindow();
    if (!window) {
        return noWindow();
    }
    if (AlertView::frontAlert()) {
        return DeviceReply::error(409, "an alert is on screen: answer it first");
    }
    auto front = ScreenReader(*window).frontController();
    if (!front) {
        return DeviceReply::error(409, "no screen is shown");
    }
    if (auto control = front->backControl(); control && control->isVisibleInWindow()) {
        Rect frame = control->frameInWindow();
        return tapPoint(*window, frame.center());
    }
    if (auto* nav = front->navigationController(); nav && nav->viewControllers().size() > 1) {
        nav->popViewControllerAnimated(true);
        return DeviceReply::ok(Value{{"popped", front->className()}});
    }
    if (front->presentingViewController()) {
        front->dismissViewControllerAnimated(true);
        return DeviceReply::ok(Value{{"dismissed", front->className()}});
    }
    return DeviceReply::error(409, "the screen " + front->className() + " has no way back");
}

DeviceReply Device::app(const Value& body) {
    auto event = text(body, "event");
    Application& application = Application::shared();
    if (!event) {
        return DeviceReply::error(400, "give {\"event\": \"...\"}");
    }
    if (*event == "resignActive") {
        application.resignActive();
    } else if (*event == "becomeActive") {
        application.becomeActive();
    } else if (*event == "enterBackground") {
        application.enterBackground();
    } else if (*event == "enterForeground") {
        application.enterForeground();
    } else if (*event == "memoryWarning") {
        application.receiveMemoryWarning();
    } else if (*event == "terminate") {
        application.terminate();
    } else {
        return DeviceReply::error(400,
                                  "unknown event \"" + *event +
                                      "\": resignActive, becomeActive, enterBackground, enterForeground, "
                                      "memoryWarning or terminate");
    }
    return DeviceReply::ok();
}

DeviceReply Device::network(const Value& body) {
    auto name = text(body, "status");
    auto status = name ? NetworkMonitor::statusNamed(*name) : std::nullopt;
    if (!status) {
        return DeviceReply::error(400, "give {\"status\": \"wifi\" | \"cellular\" | \"none\"}");
    }
    NetworkMonitor::shared().setOverride(*status);
    return DeviceReply::ok(Value{{"status", std::string(NetworkMonitor::nameOf(*status))}});
}

DeviceReply Device::quit(const Value&) {
    Application::shared().terminate();
    return DeviceReply::ok();
}

}  // namespace platform
