// The qelvo executable: reads its flags, boots the platform services, launches the
// application with AppDelegate, serves the device API, and runs the main run loop
// until the application terminates (SIGINT, SIGTERM or the device API's quit).

#include "app/AppDelegate.h"
#include "main/LaunchOptions.h"
#include "platform/device/Device.h"
#include "platform/device/DeviceServer.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TerminationSignals.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/image/Image.h"
#include "platform/net/HttpSession.h"
#include "platform/net/NetworkMonitor.h"
#include "platform/ui/Application.h"
#include "service/ServiceEndpoint.h"

#include <cstdio>
#include <string>

namespace {

// The app's named pictures: QELVO_RESOURCES when set, else the source tree's folder.
std::string resourceFolder() {
    return platform::Environment::value("QELVO_RESOURCES").value_or(std::string(QELVO_RESOURCE_DIR));
}

}  // namespace

int main(int argc, char** argv) {
    const LaunchOptions options = LaunchOptions::parse(argc, argv);
    if (options.exitCode) {
        std::fputs(options.message.c_str(), *options.exitCode == 0 ? stdout : stderr);
        return *options.exitCode;
    }

    platform::TerminationSignals::watch([](int signal) {
        platform::logf("terminating on signal {}", signal);
        platform::Application::shared().terminate();
    });

    auto& mainLoop = platform::RunLoop::main();
    mainLoop.adoptCurrentThread();
    platform::Container::shared().setHome(options.container.empty()
                                              ? platform::Container::defaultHome()
                                              : std::filesystem::path(options.container));
    platform::UserDefaults::standard().load();
    ServiceEndpoint::setHost(options.serviceHost);
    platform::Image::setResourcePath(resourceFolder());
    platform::HttpSession::shared();  // starts the network thread
    platform::NetworkMonitor::shared().start();

    platform::Device device;
    platform::DeviceServer deviceServer(device);
    if (!deviceServer.start(options.devicePort)) {
        std::fprintf(stderr, "qelvo: cannot serve the device API on 127.0.0.1:%d\n", options.devicePort);
        return 1;
    }

    platform::logf(
        "qelvo started: container {}, service {}, system version {}, device API http://127.0.0.1:{}",
        platform::Container::shared().home(), ServiceEndpoint::serviceUrl(), options.systemVersion,
        deviceServer.port());

    platform::Application& application = platform::Application::shared();
    application.setSystemVersion(options.systemVersion);
    application.setDelegate(std::make_shared<AppDelegate>());
    application.setTerminationHook([] { platform::RunLoop::main().stop(); });
    application.launch();

    mainLoop.run();
    deviceServer.stop();
    platform::NetworkMonitor::shared().stop();
    platform::UserDefaults::standard().synchronize();
    platform::log("qelvo stopped");
    return 0;
}
