#include "platform/ui/Animation.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace platform {
namespace {

std::atomic<int> running{0};

// Counts an animation as running until its completion has run or was dropped.
struct RunningMark {
    RunningMark() { ++running; }
    ~RunningMark() { --running; }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;
};

}  // namespace

Timer Animation::animate(double duration, const Changes& changes, Completion completion, double delay) {
    if (changes) {
        changes();
    }
    auto mark = std::make_shared<RunningMark>();
    return RunLoop::main().schedule(std::max(0.0, delay) + std::max(0.0, duration),
                                    [mark, completion = std::move(completion)]() mutable {
                                        mark.reset();
                                        if (completion) {
                                            completion(true);
                                        }
                                    });
}

int Animation::runningCount() {
    return running.load();
}

}  // namespace platform
