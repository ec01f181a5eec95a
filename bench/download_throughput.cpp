// A 512 MB video download through the download engine (FilesDownManage with real
// HTTPRequests on the shared network thread, callbacks on the main run loop, every
// chunk written to the partial file, record file rewritten on each progress report)
// against `curl -o` of the same file from the same demo service on loopback, runs
// alternating. Also measured during the engine's runs: the growth of the process's
// resident memory over its idle size, and the main thread's time spent in the
// engine's progress and header callbacks (which write the record file) per second
// of downloading. Figures are printed, never asserted.

#include "bench/support/DemoServiceProcess.h"
#include "download/FilesDownManage.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"

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

constexpr std::uint64_t kFileBytes = 512ULL * 1024 * 1024;
constexpr int kRuns = 3;

using Clock = std::chrono::steady_clock;

double megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1048576.0;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
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

// The engine with its progress and header callbacks timed on the main thread.
class TimedEngine : public FilesDownManage {
public:
    using FilesDownManage::FilesDownManage;

    void didReceiveBytes(HTTPRequest& request, std::int64_t bytes) override {
        auto start = Clock::now();
        FilesDownManage::didReceiveBytes(request, bytes);
        callbackSeconds += secondsSince(start);
        ++reports;
    }
    void didReceiveResponseHeaders(HTTPRequest& request, const HTTPHeaders& headers) override {
        auto start = Clock::now();
        FilesDownManage::didReceiveResponseHeaders(request, headers);
        callbackSeconds += secondsSince(start);
    }

    double callbackSeconds = 0;
    long reports = 0;
};

struct EngineRun {
    double seconds = 0;
    double callbackSeconds = 0;
    long reports = 0;
    std::uint64_t idleBytes = 0;
    std::uint64_t peakBytes = 0;
    bool complete = false;
};

EngineRun downloadThroughEngine(const std::string& url, const std::string& home, int run) {
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    platform::Container::shared().setHome(home);
    platform::UserDefaults::standard().load();

    FilesDownManage::Environment environment;
    environment.onCellularNetwork = [] { return false; };
    auto engine = std::make_shared<TimedEngine>("DownLoad", std::vector<std::string>{"DownLoad/mp4"}, environment);
    engine->loadFinishedfiles();
    engine->loadTempfiles();
    auto& loop = platform::RunLoop::main();
    loop.runUntil([&] { return engine->tempfilesLoaded(); }, 10);

    EngineRun result;
    result.idleBytes = residentBytes();
    std::atomic<bool> sampling{true};
    std::atomic<std::uint64_t> peak{result.idleBytes};
    std::thread sampler([&] {
        while (sampling) {
            peak = std::max<std::uint64_t>(peak, residentBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    auto start = Clock::now();
    engine->downFileUrl(url, "bench" + std::to_string(run), "mp4", "benchmark");
    result.complete = loop.runUntil([&] { return !engine->finishedlist().empty(); }, 240);
    result.seconds = secondsSince(start);
    sampling = false;
    sampler.join();
    result.peakBytes = peak;
    result.callbackSeconds = engine->callbackSeconds;
    result.reports = engine->reports;

    auto finished = std::filesystem::path(home) / "Documents" / "DownLoad" / "mp4" / ("bench" + std::to_string(run) + ".mp4");
    std::error_code error;
    if (std::filesystem::file_size(finished, error) != kFileBytes) {
        result.complete = false;
    }
    engine->cleanLastInfo();
    std::filesystem::remove_all(home);
    return result;
}

double downloadWithCurl(const std::string& url, const std::string& file) {
    std::string command = "curl -s -o '" + file + "' '" + url + "'";
    auto start = Clock::now();
    int status = std::system(command.c_str());
    double seconds = secondsSince(start);
    std::error_code error;
    bool complete = status == 0 && std::filesystem::file_size(file, error) == kFileBytes;
    std::filesystem::remove(file, error);
    return complete ? seconds : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
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
    const std::string url = demo.origin() + "/videos/synthetic/" + std::to_string(kFileBytes) + ".mp4";
    std::string scratch = (std::filesystem::temp_directory_path() / ("qelvo-bench-download-" + std::to_string(getpid()))).string();

    std::vector<double> engineSeconds;
    std::vector<double> curlSeconds;
    std::vector<double> callbackMsPerSecond;
    std::uint64_t worstGrowth = 0;
    std::uint64_t idle = 0;
    long reports = 0;
    for (int run = 0; run < kRuns; ++run) {
        double curl = downloadWithCurl(url, scratch + "-curl.mp4");
        EngineRun engine = downloadThroughEngine(url, scratch, run);
        if (curl < 0 || !engine.complete) {
            std::printf("download_throughput: run %d did not complete (curl %.2f s, engine %s)\n", run, curl,
                        engine.complete ? "complete" : "incomplete");
            continue;
        }
        curlSeconds.push_back(curl);
        engineSeconds.push_back(engine.seconds);
        callbackMsPerSecond.push_back(engine.callbackSeconds * 1000 / engine.seconds);
        worstGrowth = std::max(worstGrowth, engine.peakBytes - std::min(engine.peakBytes, engine.idleBytes));
        idle = engine.idleBytes;
        reports = engine.reports;
        std::printf("run %d: curl %.2f s (%.0f MB/s), engine %.2f s (%.0f MB/s), peak RSS %.1f MB over idle %.1f MB, "
                    "%ld progress reports, %.2f ms of callbacks per second\n",
                    run, curl, megabytes(kFileBytes) / curl, engine.seconds, megabytes(kFileBytes) / engine.seconds,
                    megabytes(engine.peakBytes - std::min(engine.peakBytes, engine.idleBytes)),
                    megabytes(engine.idleBytes), engine.reports, engine.callbackSeconds * 1000 / engine.seconds);
    }
    if (engineSeconds.empty()) {
        return 0;
    }
    double curl = median(curlSeconds);
    double engine = median(engineSeconds);
    std::printf("512 MB on loopback, medians of %zu runs: curl %.2f s, engine %.2f s; throughput ratio engine/curl "
                "%.3f (aim >= 0.9)\n",
                engineSeconds.size(), curl, engine, curl / engine);
    std::printf("memory: idle %.1f MB, largest growth during a download %.1f MB (aim < 20 MB)\n", megabytes(idle),
                megabytes(worstGrowth));
    std::printf("progress reports and record-file writes: %.2f ms of main-thread time per second of downloading "
                "(%ld reports in the last run)\n",
                median(callbackMsPerSecond), reports);
    return 0;
}
