#include "platform/device/DeviceServerMainLoopGate.h"

#include "platform/foundation/RunLoop.h"

#include <condition_variable>
#include <exception>
#include <mutex>

namespace platform {

struct DeviceServerMainLoopGate::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
};

// Lives on in the posted task after its caller may have given up on it.
struct DeviceServerMainLoopGate::Pending {
    std::function<DeviceReply()> call;
    bool started = false;
    bool done = false;
    bool abandoned = false;
    DeviceReply reply;
};

DeviceServerMainLoopGate::DeviceServerMainLoopGate(RunLoop& loop)
    : loop_(loop), shared_(std::make_shared<Shared>()) {}

DeviceServerMainLoopGate::~DeviceServerMainLoopGate() {
    close();
}

void DeviceServerMainLoopGate::open() {
    std::lock_guard lock(shared_->mutex);
    shared_->open = true;
}

void DeviceServerMainLoopGate::close() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->open = false;
    }
    shared_->changed.notify_all();
}

DeviceReply DeviceServerMainLoopGate::runGuarded(const std::function<DeviceReply()>& call) {
    // An operation that throws must not unwind through the run loop and end the app.
    try {
        return call();
    } catch (const std::exception& error) {
        return DeviceReply::error(500, std::string("internal error: ") + error.what());
    } catch (...) {
        return DeviceReply::error(500, "internal error");
    }
}

DeviceReply DeviceServerMainLoopGate::call(const std::function<DeviceReply()>& call,
                                           std::chrono::milliseconds timeout) {
    const auto stopping = [] { return DeviceReply::error(503, "the device server is stopping"); };
    if (loop_.isLoopThread()) {
        {
            std::lock_guard lock(shared_->mutex);
            if (!shared_->open) return stopping();
        }
        return runGuarded(call);
    }

    auto pending = std::make_shared<Pending>();
    pending->call = call;
    std::unique_lock lock(shared_->mutex);
    if (!shared_->open) return stopping();
    loop_.post([shared = shared_, pending] {
        {
            std::lock_guard taskLock(shared->mutex);
            if (pending->abandoned) return;
            pending->started = true;
        }
        DeviceReply reply = runGuarded(pending->call);
        {
            std::lock_guard taskLock(shared->mutex);
            pending->reply = std::move(reply);
            pending->done = true;
            pending->call = nullptr;  // releases what the call captured, on the loop
        }
        shared->changed.notify_all();
    });

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto settled = [&] { return pending->done || !shared_->open; };
    // Until the loop takes the call, the time-out applies; once it runs, the reply
    // comes when the operation returns.
    if (!shared_->changed.wait_until(lock, deadline, [&] { return settled() || pending->started; })) {
        pending->abandoned = true;
        return DeviceReply::error(503, "the app did not take the call in time");
    }
    shared_->changed.wait(lock, settled);
    if (pending->done) return std::move(pending->reply);
    pending->abandoned = true;
    return stopping();
}

}  // namespace platform
