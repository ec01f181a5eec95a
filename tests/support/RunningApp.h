#pragma once

#include "tests/support/ChildProcess.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qelvo::test {

// The answer of one device API call.
struct DeviceAnswer {
    int status = 0;  // 0 when the app did not answer at all
    nlohmann::json body;
};

// The demo service and the app, each started on a free loopback port, and a client
// of the app's device API. The app uses the given container folder, so a test can
// restart it on the same state.
class RunningApp {
public:
    struct Paths {
        std::string appBinary;
        std::string serviceBinary;
        std::string serviceData;
        // A command the app's command line is handed to (it runs the app with exec), or nothing.
        std::vector<std::string> appLauncher = {};
        // Flags for the demo service beyond its port and data folder.
        std::vector<std::string> serviceArgs = {};
    };

    RunningApp(Paths paths, std::string container, std::vector<std::string> extraAppArgs = {});
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    bool ready() const { return devicePort_ > 0 && servicePort_ > 0; }
    int servicePort() const { return servicePort_; }
    int devicePort() const { return devicePort_; }
    // The app's process (after its launcher's exec), or -1.
    int appPid() const;
    const std::string& failure() const { return failure_; }
    std::string appOutput();

    // Stops the app (SIGTERM) and starts it again on the same container and service.
    bool restartApp();
    // Kills the app at once (SIGKILL: nothing runs on the way out) and starts it again.
    bool killAndRestartApp();
    // Ends the app through the device API; returns its exit status.
    int quitApp();

    DeviceAnswer get(const std::string& path);
    DeviceAnswer post(const std::string& path, const nlohmann::json& body = nlohmann::json::object());
    nlohmann::json screen();
    // Polls the screen until `predicate` holds or `seconds` pass; the last screen read.
    std::optional<nlohmann::json> waitForScreen(const std::function<bool(const nlohmann::json&)>& predicate,
                                                double seconds = 10);
    // Polls the app's log until a line contains `fragment` or `seconds` pass.
    bool waitForLogLine(const std::string& fragment, double seconds = 10);
    // How many lines of the app's log so far contain `fragment`.
    std::size_t logLinesWith(const std::string& fragment);
    // Polls until `count` lines contain `fragment` or `seconds` pass.
    bool waitForLogLines(const std::string& fragment, std::size_t count, double seconds = 10);
    // Polls the view tree until no scroll view moves any more (none carries the "moving"
    // mark), as a person waits for a list to stop before reading or tapping it.
    bool waitUntilStill(double seconds = 10);
    // True when some entry of the screen's views shows exactly `text`.
    static bool showsText(const nlohmann::json& screen, const std::string& text);
    // Requests the demo service has received, oldest first (its control API).
    nlohmann::json serviceRequests();
    // Another call of the demo service's control API: its JSON answer, or null.
    nlohmann::json serviceControl(const std::string& path);

private:
    bool startApp();

    Paths paths_;
    std::string container_;
    std::vector<std::string> extraAppArgs_;
    std::unique_ptr<ChildProcess> service_;
    std::unique_ptr<ChildProcess> app_;
    int servicePort_ = 0;
    int devicePort_ = 0;
    bool appEnded_ = false;
    std::string failure_;
};

}  // namespace qelvo::test
