// qelvo-demo-service: a sample of the learning service the Qelvo client talks to,
// with switches that make it misbehave on purpose for tests.

#include "DemoService.h"
#include "ServiceHelp.h"

#include <CLI/CLI.hpp>

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <thread>

int main(int argc, char** argv) {
    using namespace qelvo::demo;

    ServiceOptions options;
    options.dataDir = QELVO_DEMO_DEFAULT_DATA_DIR;
    int stallCapSeconds = 120;

    CLI::App app{ServiceHelp::description(), "qelvo-demo-service"};
    app.add_option("--port", options.port, "Port to listen on (0 picks a free one)")->capture_default_str();
    app.add_option("--host", options.host, "Address to listen on")->capture_default_str();
    app.add_option("--data", options.dataDir, "Data folder: content/*.json, pics/, videos/")
        ->capture_default_str();
    app.add_option("--threads", options.maxThreads, "Most connections served at once")->capture_default_str();
    app.add_option("--stall-cap", stallCapSeconds, "Seconds a stall lasts when stallMs is not given")
        ->capture_default_str()
        ->check(CLI::Range(1, 3600));
    app.add_flag("--access-log", options.accessLog, "Print one line per request on standard error");
    app.add_option("--seed", options.seed, "Seed of the random draws of the faults=P switch")
        ->capture_default_str();
    app.footer(ServiceHelp::footer());
    CLI11_PARSE(app, argc, argv);
    options.stallCap = std::chrono::seconds(stallCapSeconds);

    // Signals are taken by one thread with sigwait, so that the stop runs as ordinary code.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::string error;
    auto service = DemoService::create(options, error);
    if (!service) {
        std::cerr << "qelvo-demo-service: " << error << "\n";
        return 1;
    }
    if (service->bind() < 0) {
        std::cerr << "qelvo-demo-service: cannot listen on " << options.host << ":" << options.port << "\n";
        return 1;
    }

    std::thread signalWatcher([&service, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        service->stop();
    });

    std::printf("qelvo-demo-service listening on %s\n", service->origin().c_str());
    std::fflush(stdout);
    const bool served = service->run();

    // Wake the watcher if the server ended by itself. SIGTERM is blocked in every thread,
    // so it only ends the watcher's sigwait; it terminates nothing.
    pthread_kill(signalWatcher.native_handle(), SIGTERM);  // NOLINT(bugprone-bad-signal-to-kill-thread)
    signalWatcher.join();
    std::printf("qelvo-demo-service stopped\n");
    std::fflush(stdout);
    return served ? 0 : 1;
}
