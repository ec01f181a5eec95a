// Launch of the app: from the moment the process is spawned until the device API
// answers GET /api/screen with the home screen, and the process's peak resident
// memory once it has settled. The demo service is measured the same way (spawn
// until its endpoint answers "mode=1", then its peak memory) as the reference, in
// the same run and on the same machine.

#include "bench/support/ChildProcess.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>


namespace {

constexpr int kRuns = 9;
using Clock = std::chrono::steady_clock;

using qelvo::testing::unusedLoopbackPort;
using bench::spawnQuiet;

void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// Peak resident memory of the process in MB (VmHWM).
double peakMegabytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

// Milliseconds from spawning until `ready` holds (polled at once, again and again).
double timeUntilReady(pid_t pid, Clock::time_point spawned, const std::function<bool()>& ready) {
    while (Clock::now() - spawned < std::chrono::seconds(20)) {
        if (ready()) {
            return std::chrono::duration<double, std::milli>(Clock::now() - spawned).count();
        }
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return -1;
}

struct Sample {
    double startMs;
    double peakMb;
};

Sample measureService(int port) {
    auto spawned = Clock::now();
    pid_t pid =
        spawnQuiet({QELVO_DEMO_SERVICE_BIN, "--port", std::to_string(port), "--data", QELVO_DEMO_DATA_DIR});
    httplib::Client client("127.0.0.1", port);
    double ms = timeUntilReady(pid, spawned, [&] {
        auto reply = client.Post("/wcm/qelvo/app/index.aspx", "mode=1", "application/x-www-form-urlencoded");
        return reply && reply->status == 200;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Sample sample{ms, peakMegabytes(pid)};
    stop(pid);
    return sample;
}

Sample measureApp(int servicePort, const std::string& container) {
    int devicePort = unusedLoopbackPort();
    auto spawned = Clock::now();
    pid_t pid =
        spawnQuiet({QELVO_APP_BIN, "--container", container, "--service-host",
               "127.0.0.1:" + std::to_string(servicePort), "--device-port", std::to_string(devicePort)});
    httplib::Client client("127.0.0.1", devicePort);
    double ms = timeUntilReady(pid, spawned, [&] {
        auto reply = client.Get("/api/screen");
        if (!reply || reply->status != 200) {
            return false;
        }
        auto screen = nlohmann::json::parse(reply->body, nullptr, false);
        return screen.is_object() &&
               screen.value("screens", nlohmann::json::array()) == nlohmann::json::array({"MainViewCon"});
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Sample sample{ms, peakMegabytes(pid)};
    stop(pid);
    return sample;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main() {
    std::string container =
        (std::filesystem::temp_directory_path() / ("qelvo-bench-launch-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(container);

    int servicePort = unusedLoopbackPort();
    pid_t service =
        spawnQuiet({QELVO_DEMO_SERVICE_BIN, "--port", std::to_string(servicePort), "--data", QELVO_DEMO_DATA_DIR});
    httplib::Client probe("127.0.0.1", servicePort);
    if (timeUntilReady(service, Clock::now(),
                       [&] { return static_cast<bool>(probe.Get("/control/usage")); }) < 0) {
        std::fprintf(stderr, "the demo service did not start\n");
        return 1;
    }

    std::vector<double> appMs, appMb, serviceMs, serviceMb;
    for (int run = 0; run < kRuns; ++run) {
        Sample app = measureApp(servicePort, container);
        Sample reference = measureService(unusedLoopbackPort());
        if (app.startMs < 0 || reference.startMs < 0) {
            std::fprintf(stderr, "a process did not become ready\n");
            stop(service);
            return 1;
        }
        appMs.push_back(app.startMs);
        appMb.push_back(app.peakMb);
        serviceMs.push_back(reference.startMs);
        serviceMb.push_back(reference.peakMb);
    }
    stop(service);
    std::filesystem::remove_all(container);

    double a = median(appMs);
    double s = median(serviceMs);
    std::printf(
        "launch until the home screen answers: median %.1f ms (app) vs %.1f ms (demo service start), "
        "ratio %.2f over %d runs\n",
        a, s, s > 0 ? a / s : 0.0, kRuns);
    std::printf("peak memory: median %.1f MB (app) vs %.1f MB (demo service), ratio %.2f\n", median(appMb),
                median(serviceMb), median(serviceMb) > 0 ? median(appMb) / median(serviceMb) : 0.0);
    return 0;
}
