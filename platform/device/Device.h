#pragma once

#include "platform/device/DeviceOperations.h"
#include "platform/ui/Geometry.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform {

class View;
class Window;

// The automation operations carried out on the app's main window: reading what a
// person sees and acting as a person would. Main thread only; the device server
// calls it through the main run loop and tests call it directly.
class Device : public DeviceOperations {
public:
    DeviceReply screen() override;
    DeviceReply tree() override;
    DeviceReply tap(const Value& body) override;
    DeviceReply touch(const Value& body) override;
    DeviceReply drag(const Value& body) override;
    DeviceReply swipe(const Value& body) override;
    DeviceReply type(const Value& body) override;
    DeviceReply key(const Value& body) override;
    DeviceReply alert(const Value& body) override;
    DeviceReply link(const Value& body) override;
    DeviceReply back(const Value& body) override;
    DeviceReply app(const Value& body) override;
    DeviceReply network(const Value& body) override;
    DeviceReply quit(const Value& body) override;

private:
    // The window and the two points of a drag or a swipe.
    struct Stroke {
        std::shared_ptr<Window> window;
        Point from;
        Point to;
    };
    static std::optional<DeviceReply> readStroke(const Value& body, Stroke& stroke);
    static std::shared_ptr<Window> mainWindow();
    DeviceReply tapPoint(Window& window, Point point);
    DeviceReply strokeThroughTouches(Window& window, Point from, Point to);

    // When a step of the finger happened, on the run loop's clock: from the sender's
    // own "time" where it gives one, else now.
    std::optional<double> stepTime(const Value& body, bool began);

    // The finger of the touch stream that is down now, if any, and how far the
    // sender's clock is behind the run loop's (seconds), when it sends its times.
    std::optional<long long> fingerDown_;
    std::optional<double> senderClockOffset_;
};

}  // namespace platform
