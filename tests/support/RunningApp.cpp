#include "tests/support/RunningApp.h"

#include <httplib.h>

#include <csignal>
#include <regex>
#include <thread>

using namespace std::chrono_literals;

namespace qelvo::test {
namespace {

// The port in the first "http://127.0.0.1:PORT" after `marker` in the output.
int portAfter(const std::string& output, const std::string& marker) {
    auto at = output.find(marker);
    if (at == std::string::npos) {
        return 0;
    }
    std::smatch match;
    std::string rest = output.substr(at);
    if (std::regex_search(rest, match, std::regex("http://127\\.0\\.0\\.1:([0-9]+)"))) {
        return std::stoi(match[1].str());
    }
    return 0;
}

}  // namespace

RunningApp::RunningApp(Paths paths, std::string container, std::vector<std::string> extraAppArgs)
    : paths_(std::move(paths)), container_(std::move(container)), extraAppArgs_(std::move(extraAppArgs)) {
    std::vector<std::string> serviceArgv{paths_.serviceBinary, "--port", "0", "--data", paths_.serviceData};
    serviceArgv.insert(serviceArgv.end(), paths_.serviceArgs.begin(), paths_.serviceArgs.end());
    service_ = std::make_unique<ChildProcess>(serviceArgv);
    const std::string marker = "qelvo-demo-service listening on";
    if (!service_->started() || !service_->waitForOutput(marker, 10s)) {
        failure_ = "the demo service did not start: " + service_->output();
        return;
    }
    servicePort_ = portAfter(service_->output(), marker);
    startApp();
}

RunningApp::~RunningApp() {
    if (app_ && !appEnded_) {
        app_->signal(SIGTERM);
        app_->waitForExit(5s);
    }
    if (service_) {
        service_->signal(SIGTERM);
        service_->waitForExit(5s);
    }
}

bool RunningApp::startApp() {
    devicePort_ = 0;
    appEnded_ = false;
    std::vector<std::string> argv = paths_.appLauncher;
    argv.insert(argv.end(), {paths_.appBinary,
                                  "--container",
                                  container_,
                                  "--service-host",
                                  "127.0.0.1:" + std::to_string(servicePort_),
                                  "--device-port",
                                  "0"});
    argv.insert(argv.end(), extraAppArgs_.begin(), extraAppArgs_.end());
    app_ = std::make_unique<ChildProcess>(argv);
    const std::string marker = "qelvo started";
    if (!app_->started() || !app_->waitForOutput(marker, 10s)) {
        failure_ = "the app did not start: " + app_->output();
        return false;
    }
    devicePort_ = portAfter(app_->output(), "device API");
    if (devicePort_ == 0) {
        failure_ = "the app did not say where its device API is: " + app_->output();
        return false;
    }
    return true;
}

int RunningApp::appPid() const {
    return app_ && app_->started() ? static_cast<int>(app_->pid()) : -1;
}

std::string RunningApp::appOutput() {
    if (!app_) {
        return {};
    }
    return app_->output();
}

bool RunningApp::restartApp() {
    if (app_ && !appEnded_) {
        app_->signal(SIGTERM);
        if (app_->waitForExit(10s) != 0) {
            failure_ = "the app did not end cleanly: " + app_->output();
            return false;
        }
    }
    return startApp();
}

bool RunningApp::killAndRestartApp() {
    if (app_ && !appEnded_) {
        app_->signal(SIGKILL);
        app_->waitForExit(10s);
    }
    return startApp();
}

int RunningApp::quitApp() {
    post("/api/quit");
    int status = app_ ? app_->waitForExit(10s) : -1;
    appEnded_ = status >= 0;
    return status;
}

DeviceAnswer RunningApp::get(const std::string& path) {
    httplib::Client client("127.0.0.1", devicePort_);
    client.set_read_timeout(15, 0);
    auto reply = client.Get(path.c_str());
    if (!reply) {
        return {};
    }
    return DeviceAnswer{reply->status, nlohmann::json::parse(reply->body, nullptr, false)};
}

DeviceAnswer RunningApp::post(const std::string& path, const nlohmann::json& body) {
    httplib::Client client("127.0.0.1", devicePort_);
    client.set_read_timeout(15, 0);
    auto reply = client.Post(path.c_str(), body.dump(), "application/json");
    if (!reply) {
        return {};
    }
    return DeviceAnswer{reply->status, nlohmann::json::parse(reply->body, nullptr, false)};
}

nlohmann::json RunningApp::screen() {
    return get("/api/screen").body;
}

std::optional<nlohmann::json> RunningApp::waitForScreen(
    const std::function<bool(const nlohmann::json&)>& predicate, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    nlohmann::json last;
    while (std::chrono::steady_clock::now() < deadline) {
        last = screen();
        if (last.is_object() && predicate(last)) {
            return last;
        }
        std::this_thread::sleep_for(30ms);
    }
    return std::nullopt;
}

bool RunningApp::waitForLogLine(const std::string& fragment, double seconds) {
    return waitForLogLines(fragment, 1, seconds);
}

std::size_t RunningApp::logLinesWith(const std::string& fragment) {
    std::size_t found = 0;
    const nlohmann::json log = get("/api/log?from=0").body;
    if (log.is_object() && log.contains("lines")) {
        for (const auto& line : log["lines"]) {
            if (line.is_string() && line.get<std::string>().find(fragment) != std::string::npos) {
                ++found;
            }
        }
    }
    return found;
}

bool RunningApp::waitForLogLines(const std::string& fragment, std::size_t count, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (logLinesWith(fragment) >= count) {
            return true;
        }
        std::this_thread::sleep_for(30ms);
    }
    return false;
}

bool RunningApp::waitUntilStill(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const DeviceAnswer tree = get("/api/tree");
        if (tree.status == 200 && tree.body.dump().find("\"moving\":true") == std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(30ms);
    }
    return false;
}

bool RunningApp::showsText(const nlohmann::json& screen, const std::string& text) {
    if (!screen.contains("views")) {
        return false;
    }
    for (const auto& view : screen["views"]) {
        if (view.contains("text") && view["text"].is_string() && view["text"].get<std::string>() == text) {
            return true;
        }
    }
    return false;
}

nlohmann::json RunningApp::serviceRequests() {
    const nlohmann::json requests = serviceControl("/control/requests");
    return requests.is_null() ? nlohmann::json::array() : requests;
}

nlohmann::json RunningApp::serviceControl(const std::string& path) {
    httplib::Client client("127.0.0.1", servicePort_);
    auto reply = client.Get(path);
    if (!reply) {
        return nullptr;
    }
    return nlohmann::json::parse(reply->body, nullptr, false);
}

}  // namespace qelvo::test
