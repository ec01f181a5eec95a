// One 512 MB video downloaded through the running app, measured from outside as a person would
// see it: from the course page's video link being followed (through the device API) until the
// finished file is whole in the downloads folder; against `curl -s -o` of the same file from a
// demo service of the same build, runs alternating. Figures are printed, never asserted.
//   bench_download_from_outside [RUNS=3]

#include "bench/support/DemoServiceProcess.h"
#include "tests/support/DownloadsJourney.h"
#include "tests/support/RunningApp.h"
#include "tests/support/TempContainer.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using qelvo::test::DownloadsJourney;
using qelvo::test::RunningApp;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kBytes = 512ULL * 1024 * 1024;

std::uintmax_t sizeOf(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Seconds from following the link until the finished file is whole, or -1.
double downloadThroughTheApp(const std::string& address) {
    qelvo::test::TempContainer container;
    RunningApp app(RunningApp::Paths{QELVO_APP_BIN, QELVO_DEMO_SERVICE_BIN, QELVO_DEMO_DATA_DIR}, container.path());
    if (!app.ready() || DownloadsJourney::openCourseFromHome(app).empty()) {
        std::printf("the app did not reach a course page: %s\n", app.failure().c_str());
        return -1;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(app.servicePort()) + address;
    const fs::path finished = fs::path(container.path()) / "Documents" / "DownLoad" / "mp4" / "outside.mp4";
    const auto start = Clock::now();
    if (app.post("/api/link", {{"url", "video:" + url + "*outside"}}).status != 200) {
        std::printf("the video link was refused\n");
        return -1;
    }
    while (sizeOf(finished) != kBytes) {
        if (secondsSince(start) > 120) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return secondsSince(start);
}

// Seconds `curl -s -o` takes for the same file from `service`, or -1.
double downloadWithCurl(const bench::DemoServiceProcess& service, const std::string& address) {
    qelvo::test::TempContainer folder;
    const fs::path file = fs::path(folder.path()) / "curl.mp4";
    const std::string command = "curl -s -o '" + file.string() + "' '" + service.origin() + address + "'";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = secondsSince(start);
    return status == 0 && sizeOf(file) == kBytes ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string address = "/videos/synthetic/" + std::to_string(kBytes) + ".mp4";
    bench::DemoServiceProcess service;
    if (!service.start()) {
        std::printf("download_from_outside: the demo service could not be started; nothing measured\n");
        return 0;
    }
    std::vector<double> app;
    std::vector<double> curl;
    for (int run = 0; run < runs; ++run) {
        const double throughApp = downloadThroughTheApp(address);
        const double withCurl = downloadWithCurl(service, address);
        if (throughApp < 0 || withCurl < 0) {
            std::printf("run %d did not complete (app %.2f s, curl %.2f s)\n", run, throughApp, withCurl);
            continue;
        }
        app.push_back(throughApp);
        curl.push_back(withCurl);
        std::printf("run %d: app %.2f s (%.0f MB/s), curl %.2f s (%.0f MB/s)\n", run, throughApp,
                    static_cast<double>(kBytes >> 20) / throughApp, withCurl,
                    static_cast<double>(kBytes >> 20) / withCurl);
    }
    if (!app.empty()) {
        std::printf("one 512 MB video from outside the app, medians of %zu runs: app %.2f s, curl %.2f s; "
                    "app/curl throughput %.3f\n",
                    app.size(), median(app), median(curl), median(curl) / median(app));
    }
    return 0;
}
