// What the browser display costs the app while a list moves under the pointer: a
// snapshot of the view tree sent to the page (GET /api/tree: taken on the main loop,
// serialized, written to the socket) with the home page and with the catalogue on
// screen, and the time from a finger's move (POST /api/touch) to the next tree on the
// display's event stream. The reference, in the same run, is an answer of the same
// server that reads no tree (GET /api/log), so the ratios show what the tree adds.
// The display draws at 60 frames a second: a whole tree must fit well within 16.7 ms.

#include "bench/support/ChildProcess.h"
#include "bench/support/DemoServiceProcess.h"

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
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCalls = 200;
constexpr int kMoves = 60;
const char* kJson = "application/json";

using qelvo::testing::unusedLoopbackPort;
using bench::spawnQuiet;

double ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

bool waitFor(const std::function<bool()>& ready, int seconds = 20) {
    auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool screenShows(httplib::Client& app, const std::string& text) {
    auto reply = app.Get("/api/screen");
    return reply && reply->status == 200 && reply->body.find(text) != std::string::npos;
}

// Median milliseconds of `call` over kCalls calls, and the size of the last answer.
std::pair<double, std::size_t> timeCalls(const std::function<httplib::Result()>& call) {
    std::vector<double> times;
    std::size_t bytes = 0;
    for (int i = 0; i < kCalls; ++i) {
        auto start = Clock::now();
        auto reply = call();
        times.push_back(ms(Clock::now() - start));
        bytes = reply ? reply->body.size() : 0;
    }
    return {median(times), bytes};
}

// The display's event stream, read on a thread: the moment each tree event arrived.
class EventWatch {
public:
    explicit EventWatch(int port) : client_("127.0.0.1", port) {
        thread_ = std::thread([this] {
            client_.Get("/display/events", [this](const char* data, std::size_t length) {
                std::string chunk(data, length);
                if (chunk.find("event: tree") != std::string::npos) {
                    std::lock_guard lock(mutex_);
                    arrivals_.push_back(Clock::now());
                    arrived_.notify_all();
                }
                return !stopping_.load();
            });
        });
    }
    ~EventWatch() {
        stopping_ = true;
        client_.stop();
        thread_.join();
    }
    // The first tree that arrived after `since`, within a second.
    std::optional<Clock::time_point> nextAfter(Clock::time_point since) {
        std::unique_lock lock(mutex_);
        std::optional<Clock::time_point> found;
        arrived_.wait_for(lock, std::chrono::seconds(1), [&] {
            for (auto at : arrivals_) {
                if (at > since) {
                    found = at;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

private:
    httplib::Client client_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Clock::time_point> arrivals_;
    std::atomic<bool> stopping_{false};
};

std::string touchBody(const char* phase, double y) {
    return nlohmann::json{{"phase", phase}, {"x", 160}, {"y", y}, {"id", 1}}.dump();
}

// A finger drags the list at (160, 470) up by 3 points a frame; for each move, the time
// from sending it to the next tree on the stream.
std::vector<double> moveToTree(httplib::Client& app, EventWatch& events) {
    std::vector<double> delays;
    double y = 470;
    app.Post("/api/touch", touchBody("began", y), kJson);
    for (int i = 0; i < kMoves; ++i) {
        y -= 3;
        auto sent = Clock::now();
        app.Post("/api/touch", touchBody("moved", y), kJson);
        if (auto tree = events.nextAfter(sent); tree && i > 3) {  // the first moves are within the slop
            delays.push_back(ms(*tree - sent));
        }
        std::this_thread::sleep_until(sent + std::chrono::microseconds(16'667));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    app.Post("/api/touch", touchBody("ended", y), kJson);
    return delays;
}

}  // namespace

int main() {
    bench::DemoServiceProcess service;
    if (!service.start()) {
        std::fprintf(stderr, "the demo service did not start\n");
        return 1;
    }
    const std::string container =
        (std::filesystem::temp_directory_path() / ("qelvo-bench-display-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(container);
    const int port = unusedLoopbackPort();
    std::string serviceHost = service.origin();
    serviceHost.erase(0, serviceHost.find("//") + 2);
    pid_t pid = spawnQuiet({QELVO_APP_BIN, "--container", container, "--service-host", serviceHost,
                            "--device-port", std::to_string(port)});
    httplib::Client app("127.0.0.1", port);
    app.set_read_timeout(10, 0);
    int status = 1;
    if (waitFor([&] { return screenShows(app, "个人所得税"); })) {
        // The home page's own first refresh runs 2 seconds and then sends its request.
        std::this_thread::sleep_for(std::chrono::milliseconds(3000));
        auto reference = timeCalls([&] { return app.Get("/api/log?from=1000000"); });
        auto home = timeCalls([&] { return app.Get("/api/tree"); });
        std::vector<double> homeDelays;
        {
            EventWatch events(port);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            homeDelays = moveToTree(app, events);
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        app.Post("/api/tap", R"({"text": "微课程"})", kJson);
        waitFor([&] { return screenShows(app, "加载更多"); });
        // The catalogue read to its end: 26 rows, of which the screen shows its share.
        for (int page = 0; page < 2 && screenShows(app, "加载更多"); ++page) {
            app.Post("/api/drag", R"({"from": [160, 450], "to": [160, 50]})", kJson);
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            app.Post("/api/tap", R"({"text": "加载更多"})", kJson);
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
        }
        app.Post("/api/drag", R"({"from": [160, 200], "to": [160, 450]})", kJson);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        auto list = timeCalls([&] { return app.Get("/api/tree"); });
        std::vector<double> listDelays;
        {
            EventWatch events(port);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            listDelays = moveToTree(app, events);
        }
        std::printf("display_tree: reference GET /api/log median %.3f ms\n", reference.first);
        std::printf("display_tree: home page tree %zu bytes, median %.3f ms, ratio %.2f, %.0f%% of a 60 Hz frame\n",
                    home.second, home.first, home.first / reference.first, home.first / 16.667 * 100);
        std::printf("display_tree: catalogue tree %zu bytes, median %.3f ms, ratio %.2f, %.0f%% of a 60 Hz frame\n",
                    list.second, list.first, list.first / reference.first, list.first / 16.667 * 100);
        std::printf("display_tree: finger move to the next tree on the stream: home median %.2f ms (%zu moves), "
                    "catalogue median %.2f ms (%zu moves), ratio to the reference %.2f\n",
                    median(homeDelays), homeDelays.size(), median(listDelays), listDelays.size(),
                    median(listDelays) / reference.first);
        status = homeDelays.empty() || listDelays.empty() ? 1 : 0;
    } else {
        std::fprintf(stderr, "the app did not show its home page\n");
    }
    ::kill(pid, SIGTERM);
    int exitStatus = 0;
    ::waitpid(pid, &exitStatus, 0);
    std::filesystem::remove_all(container);
    return status;
}
