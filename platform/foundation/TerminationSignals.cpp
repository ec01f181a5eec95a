#include "platform/foundation/TerminationSignals.h"

#include "platform/foundation/RunLoop.h"

#include <pthread.h>

#include <csignal>
#include <thread>
#include <utility>

namespace platform {

void TerminationSignals::watch(std::function<void(int signal)> onSignal) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals, onSignal = std::move(onSignal)] {
        int received = 0;
        sigwait(&signals, &received);
        RunLoop::main().post([onSignal, received] { onSignal(received); });
    }).detach();
}

}  // namespace platform
