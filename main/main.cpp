// The qelvo executable: reads its flags, boots the platform services and runs the
// main run loop until the platform ends the process (SIGINT or SIGTERM).

#include "app/LaunchOptions.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/HttpSession.h"
#include "service/ServiceEndpoint.h"

#include <pthread.h>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

// Blocks the termination signals in every thread (threads inherit the mask), and
// waits for them on a thread of its own, which hands them to the main run loop.
std::thread watchTerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return std::thread([signals] {
        int received = 0;
        sigwait(&signals, &received);
        platform::RunLoop::main().post([received] {
            platform::logf("terminating on signal {}", received);
            platform::RunLoop::main().stop();
        });
    });
}

}  // namespace

int main(int argc, char** argv) {
    const LaunchOptions options = LaunchOptions::parse(argc, argv);
    if (options.exitCode) {
        std::fputs(options.message.c_str(), *options.exitCode == 0 ? stdout : stderr);
        return *options.exitCode;
    }

    std::thread signalWatcher = watchTerminationSignals();
    signalWatcher.detach();

    auto& mainLoop = platform::RunLoop::main();
    mainLoop.adoptCurrentThread();
    platform::Container::shared().setHome(options.container.empty()
                                              ? platform::Container::defaultHome()
                                              : std::filesystem::path(options.container));
    platform::UserDefaults::standard().load();
    ServiceEndpoint::setHost(options.serviceHost);
    platform::HttpSession::shared();  // starts the network thread

    platform::logf("qelvo started: container {}, service {}, system version {}",
                   platform::Container::shared().home(), ServiceEndpoint::serviceUrl(),
                   options.systemVersion);
    mainLoop.run();
    platform::UserDefaults::standard().synchronize();
    platform::log("qelvo stopped");
    return 0;
}
