#include "tests/fuzz/support/FuzzPlatform.h"

#include "app/LoginInstance.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/image/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "service/ServiceEndpoint.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qelvo::fuzz {

namespace {

std::shared_ptr<platform::ManualClock>& clock() {
    static std::shared_ptr<platform::ManualClock> manual;
    return manual;
}

std::shared_ptr<platform::Window>& keyWindow() {
    static std::shared_ptr<platform::Window> window;
    return window;
}

std::filesystem::path& container() {
    static std::filesystem::path path;
    return path;
}

void removeContainer() {
    std::error_code ignored;
    std::filesystem::remove_all(container(), ignored);
}

}  // namespace

void FuzzPlatform::closeTheNetwork() {
    // A socket bound but never listening: connections to its port are refused, and no
    // other program can take the port while this one runs.
    const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (holder < 0 || ::bind(holder, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::abort();  // without it a fuzzed address could reach a real server
    }
    const std::string closed = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    const std::string proxy = "http://" + closed;
    // A no_proxy of its own makes the session leave loopback to the proxy as well.
    ::setenv("no_proxy", "", 1);
    ::setenv("NO_PROXY", "", 1);
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
        ::setenv(name, proxy.c_str(), 1);
    }
    ServiceEndpoint::setHost(closed);
}

void FuzzPlatform::start() {
    if (keyWindow()) {
        return;
    }
    closeTheNetwork();
    ::setenv("TZ", "UTC", 1);
    platform::Log::shared().setEcho(false);
    platform::RunLoop::main().adoptCurrentThread();
    clock() = std::make_shared<platform::ManualClock>();
    platform::RunLoop::main().setClock(clock());
    clock()->advance(1.0);

    // In memory where the machine offers it: the stores write and sync on every change,
    // and each input starts from an empty container.
    const std::filesystem::path memory = "/dev/shm";
    std::error_code ignored;
    const std::filesystem::path scratch =
        std::filesystem::is_directory(memory, ignored) ? memory : std::filesystem::temp_directory_path();
    std::string pattern = (scratch / "qelvo-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    container() = pattern;
    std::atexit(removeContainer);
    platform::Container::shared().setHome(container());
    platform::UserDefaults::standard().load();
    platform::Image::setResourcePath(QELVO_SOURCE_DIR "/resources");
    platform::Application::shared().launch();

    keyWindow() = platform::View::create<platform::Window>(platform::Screen::bounds());
    keyWindow()->makeKeyAndVisible();
}

platform::Window& FuzzPlatform::window() {
    return *keyWindow();
}

void FuzzPlatform::settle() {
    platform::RunLoop::main().runPending();
    // Toasts leave the window 500 seconds after they fade; nothing the screens delay
    // takes longer.
    clock()->advance(600.0);
    platform::RunLoop::main().runPending();
    platform::Log::shared().clear();
}

void FuzzPlatform::forgetStoredState() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(container(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
    platform::UserDefaults::standard().load();
    LoginInstance::getUserInstance().setUserId(std::nullopt);
    LoginInstance::getUserInstance().setUserName(std::nullopt);
}

}  // namespace qelvo::fuzz
