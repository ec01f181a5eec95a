#pragma once

#include "platform/device/DeviceOperations.h"

#include <chrono>
#include <functional>
#include <memory>

namespace platform {

class RunLoop;

// Hands the device server's calls to the main run loop and waits for their replies,
// but never for ever: a loop that does not take a call within the time-out, or a
// server that is closing, answers 503 instead, and a call that was given up on never
// runs later.
class DeviceServerMainLoopGate {
public:
    explicit DeviceServerMainLoopGate(RunLoop& loop);
    ~DeviceServerMainLoopGate();
    DeviceServerMainLoopGate(const DeviceServerMainLoopGate&) = delete;
    DeviceServerMainLoopGate& operator=(const DeviceServerMainLoopGate&) = delete;

    // Any thread. Runs `call` on the loop (at once when called there). A call that
    // throws answers 500.
    DeviceReply call(const std::function<DeviceReply()>& call, std::chrono::milliseconds timeout);

    // Calls are refused while closed. close() releases every waiting caller at once
    // with 503, also one whose call is running now: the loop may be the thread that
    // is closing the gate.
    void open();
    void close();

private:
    struct Shared;
    struct Pending;
    static DeviceReply runGuarded(const std::function<DeviceReply()>& call);

    RunLoop& loop_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace platform
