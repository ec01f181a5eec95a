// Video downloads through the download engine (FilesDownManage with real HTTPRequests, the
// body written straight from the network thread into the partial file, callbacks on the main
// run loop, the downloads screen open as the engine's delegate) against curl, in the same run,
// on the same machine, from the same demo service on loopback:
//   - one 512 MB file: the engine against `curl -s -o`, runs alternating;
//   - four 128 MB files at once (four download slots) against four `curl -s -o` at once;
//   - the main thread's time per GB downloaded, both its CPU time and the wall time spent in the
//     engine's callbacks (record-file writes and cell updates included);
//   - the growth of the process's resident memory during the 512 MB download;
//   - the disk itself: `dd` of 512 MB into the same folder with one final fsync.
// Figures are printed, never asserted.

#include "Library/HTTPRequest/HTTPRequest.h"
#include "bench/support/DemoServiceProcess.h"
#include "download/FilesDownManage.h"
#include "download/StudeRecordViewCon.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::uint64_t kSingleBytes = 512ULL * 1024 * 1024;
constexpr std::uint64_t kParallelBytes = 128ULL * 1024 * 1024;
constexpr int kParallel = 4;
constexpr int kRuns = 3;

using Clock = std::chrono::steady_clock;

double megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1048576.0;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Resident memory of this process now, in bytes.
std::uint64_t residentBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            std::uint64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The engine with the wall time of its callbacks on the main thread counted.
class TimedEngine : public FilesDownManage {
public:
    using FilesDownManage::FilesDownManage;

    void didReceiveBytes(HTTPRequest& request, std::int64_t bytes) override {
        const auto start = Clock::now();
        FilesDownManage::didReceiveBytes(request, bytes);
        count(start, "progress");
        ++reports;
    }
    void didReceiveResponseHeaders(HTTPRequest& request, const HTTPHeaders& headers) override {
        const auto start = Clock::now();
        FilesDownManage::didReceiveResponseHeaders(request, headers);
        count(start, "headers");
    }
    void requestFinished(HTTPRequest& request) override {
        const auto start = Clock::now();
        FilesDownManage::requestFinished(request);
        count(start, "finished");
    }

    void count(Clock::time_point start, const char* what) {
        const double seconds = secondsSince(start);
        callbackSeconds += seconds;
        if (seconds > longestSeconds) {
            longestSeconds = seconds;
            longest = what;
        }
    }

    double callbackSeconds = 0;
    double longestSeconds = 0;
    const char* longest = "";
    long reports = 0;
};

struct EngineRun {
    double seconds = 0;
    double callbackSeconds = 0;
    double mainCpuSeconds = 0;
    long reports = 0;
    double longestSeconds = 0;
    const char* longest = "";
    std::uint64_t growth = 0;
    bool complete = false;
};

// Downloads `urls` through a fresh engine in a fresh container, the downloads screen open.
EngineRun downloadThroughEngine(const std::vector<std::string>& urls, std::uint64_t bytesEach,
                                const std::string& home) {
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    platform::Container::shared().setHome(home);
    platform::UserDefaults::standard().load();
    platform::UserDefaults::standard().setObject(std::to_string(urls.size()), FilesDownManage::kMaxRequestCountKey);

    FilesDownManage::Environment environment;
    environment.onCellularNetwork = [] { return false; };
    auto engine = std::make_shared<TimedEngine>("DownLoad", std::vector<std::string>{"DownLoad/mp4"}, environment);
    engine->loadFinishedfiles();
    engine->loadTempfiles();
    auto& loop = platform::RunLoop::main();
    loop.runUntil([&] { return engine->tempfilesLoaded(); }, 10);

    auto window = platform::View::create<platform::Window>(platform::Screen::bounds());
    window->makeKeyAndVisible();
    auto screen = std::make_shared<StudeRecordViewCon>("StudeRecordViewCon");
    screen->setDownManage(engine);
    auto navigation = std::make_shared<platform::NavigationController>(std::make_shared<platform::ViewController>("root"));
    navigation->setNavigationBarHidden(true);
    window->setRootViewController(navigation);
    navigation->pushViewController(screen, false);
    loop.runPending();

    EngineRun result;
    const std::uint64_t idle = residentBytes();
    std::atomic<bool> sampling{true};
    std::atomic<std::uint64_t> peak{idle};
    std::thread sampler([&] {
        while (sampling) {
            peak = std::max<std::uint64_t>(peak, residentBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    const double cpuStart = threadCpuSeconds();
    const auto start = Clock::now();
    for (std::size_t i = 0; i < urls.size(); ++i) {
        engine->downFileUrl(urls[i], "bench" + std::to_string(i), "mp4", "benchmark");
    }
    result.complete = loop.runUntil([&] { return engine->finishedlist().size() == urls.size(); }, 300);
    result.seconds = secondsSince(start);
    result.mainCpuSeconds = threadCpuSeconds() - cpuStart;
    sampling = false;
    sampler.join();
    result.growth = peak - std::min<std::uint64_t>(peak, idle);
    result.callbackSeconds = engine->callbackSeconds;
    result.reports = engine->reports;
    result.longestSeconds = engine->longestSeconds;
    result.longest = engine->longest;

    for (std::size_t i = 0; i < urls.size(); ++i) {
        const auto finished =
            std::filesystem::path(home) / "Documents" / "DownLoad" / "mp4" / ("bench" + std::to_string(i) + ".mp4");
        std::error_code error;
        result.complete = result.complete && std::filesystem::file_size(finished, error) == bytesEach;
    }
    navigation.reset();
    screen.reset();
    window.reset();
    engine->cleanLastInfo();
    loop.runPending();
    std::filesystem::remove_all(home);
    return result;
}

// `curl -s -o` of every address at once, one process each; the seconds until all ended, or -1.
double downloadWithCurl(const std::vector<std::string>& urls, std::uint64_t bytesEach, const std::string& folder) {
    std::filesystem::create_directories(folder);
    std::string command;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        command += "curl -s -o '" + folder + "/curl" + std::to_string(i) + "' '" + urls[i] + "' & ";
    }
    command += "wait";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = secondsSince(start);
    bool complete = status == 0;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        std::error_code error;
        complete = complete && std::filesystem::file_size(folder + "/curl" + std::to_string(i), error) == bytesEach;
    }
    std::filesystem::remove_all(folder);
    return complete ? seconds : -1;
}

// The disk's own pace: 512 MB written by dd into the folder, flushed once at the end.
double writeWithDd(const std::string& folder) {
    std::filesystem::create_directories(folder);
    const std::string command = "dd if=/dev/zero of='" + folder + "/dd' bs=1M count=" +
                                std::to_string(kSingleBytes >> 20) + " conv=fsync status=none";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = secondsSince(start);
    std::filesystem::remove_all(folder);
    return status == 0 ? seconds : -1;
}

struct Comparison {
    std::vector<double> engine;
    std::vector<double> curl;
    std::vector<double> callbackMsPerGB;
    std::vector<double> cpuMsPerGB;
    std::uint64_t worstGrowth = 0;
    long reports = 0;
};

Comparison compare(const std::vector<std::string>& urls, std::uint64_t bytesEach, const std::string& scratch,
                   const char* label) {
    Comparison result;
    const double gigabytes = static_cast<double>(bytesEach * urls.size()) / (1024.0 * 1024.0 * 1024.0);
    for (int run = 0; run < kRuns; ++run) {
        const double curl = downloadWithCurl(urls, bytesEach, scratch + "-curl");
        const EngineRun engine = downloadThroughEngine(urls, bytesEach, scratch + "-engine");
        if (curl < 0 || !engine.complete) {
            std::printf("%s run %d did not complete (curl %.2f s, engine %s)\n", label, run, curl,
                        engine.complete ? "complete" : "incomplete");
            continue;
        }
        result.curl.push_back(curl);
        result.engine.push_back(engine.seconds);
        result.callbackMsPerGB.push_back(engine.callbackSeconds * 1000 / gigabytes);
        result.cpuMsPerGB.push_back(engine.mainCpuSeconds * 1000 / gigabytes);
        result.worstGrowth = std::max(result.worstGrowth, engine.growth);
        result.reports = engine.reports;
        const double total = megabytes(bytesEach * urls.size());
        std::printf("%s run %d: curl %.2f s (%.0f MB/s), engine %.2f s (%.0f MB/s); main thread %.1f ms CPU, "
                    "%.1f ms in callbacks (%ld reports, the longest %.1f ms: %s); resident memory +%.1f MB\n",
                    label, run, curl, total / curl, engine.seconds, total / engine.seconds,
                    engine.mainCpuSeconds * 1000, engine.callbackSeconds * 1000, engine.reports,
                    engine.longestSeconds * 1000, engine.longest, megabytes(engine.growth));
    }
    return result;
}

}  // namespace

int main() {
    platform::Log::shared().setEcho(false);
    platform::RunLoop::main().adoptCurrentThread();
    bench::DemoServiceProcess demo;
    if (!demo.start()) {
        std::printf("download_throughput: the demo service could not be started; nothing measured\n");
        return 0;
    }
    const std::string scratch =
        (std::filesystem::temp_directory_path() / ("qelvo-bench-download-" + std::to_string(getpid()))).string();
    const std::string single = demo.origin() + "/videos/synthetic/" + std::to_string(kSingleBytes) + ".mp4";
    std::vector<std::string> parallel;
    for (int i = 0; i < kParallel; ++i) {
        // One address each, so no two downloads share a file on the server's side either.
        parallel.push_back(demo.origin() + "/videos/synthetic/" + std::to_string(kParallelBytes) + ".mp4?copy=" +
                           std::to_string(i));
    }

    const Comparison one = compare({single}, kSingleBytes, scratch, "512 MB");
    const Comparison four = compare(parallel, kParallelBytes, scratch, "4 x 128 MB");
    std::vector<double> dd;
    for (int run = 0; run < kRuns; ++run) {
        if (const double seconds = writeWithDd(scratch + "-dd"); seconds > 0) {
            dd.push_back(seconds);
        }
    }
    if (one.engine.empty() || four.engine.empty()) {
        return 0;
    }
    const double engineSingle = median(one.engine);
    const double curlSingle = median(one.curl);
    const double engineFour = median(four.engine);
    const double curlFour = median(four.curl);
    std::printf("one 512 MB file, medians of %zu runs: curl %.2f s, engine %.2f s; engine/curl throughput %.3f "
                "(aim >= 0.95)\n",
                one.engine.size(), curlSingle, engineSingle, curlSingle / engineSingle);
    std::printf("four 128 MB files at once, medians of %zu runs: 4 curls %.2f s, engine %.2f s; aggregate "
                "engine/curl %.3f (aim >= 0.9)\n",
                four.engine.size(), curlFour, engineFour, curlFour / engineFour);
    std::printf("main thread per GB downloaded: %.1f ms CPU, %.1f ms in the engine's callbacks (one file; four: "
                "%.1f ms CPU, %.1f ms) (aim <= 50 ms)\n",
                median(one.cpuMsPerGB), median(one.callbackMsPerGB), median(four.cpuMsPerGB),
                median(four.callbackMsPerGB));
    std::printf("resident memory growth during the 512 MB download: %.1f MB at most (aim < 8 MB)\n",
                megabytes(one.worstGrowth));
    if (!dd.empty()) {
        const double disk = median(dd);
        std::printf("disk: dd of 512 MB with a final fsync %.2f s (%.0f MB/s); the engine's single download "
                    "reaches %.2f of it\n",
                    disk, megabytes(kSingleBytes) / disk, disk / engineSingle);
    }
    return 0;
}
