// Soak of the download engine in the running app: three rate-limited videos downloading at once
// while the process is killed (SIGKILL) again and again, and the demo service answers some
// requests with an error status, a redirect or a dropped connection at random. After every kill
// the app is started again on the same container and the person resumes every download from the
// downloads screen, as after any restart. At the end every video must be whole and byte-exact.
//
// Printed: kills survived (the app came back with every video still listed, no partial file
// shorter than before the kill), faults the service injected, bytes fetched beyond the files'
// sizes, and each file's check. Not run in CI: it takes minutes.
//
//   bench_download_soak [KILLS=50] [SEED=1]

#include "platform/foundation/UserDefaults.h"
#include "tests/support/DownloadsJourney.h"
#include "tests/support/RunningApp.h"
#include "tests/support/TempContainer.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using nlohmann::json;
using qelvo::test::DownloadsJourney;
using qelvo::test::RunningApp;
namespace fs = std::filesystem;

struct Video {
    std::string id;
    std::uint64_t size;
};

const std::vector<Video> kVideos = {{"soak-a", 48ULL << 20}, {"soak-b", 64ULL << 20}, {"soak-c", 80ULL << 20}};
constexpr std::uint64_t kRate = 1ULL << 19;  // bytes a second, each video: every kill lands mid-download
constexpr int kFaultPercent = 12;

std::uintmax_t sizeOf(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string videoPath(const Video& video) {
    return "/videos/synthetic/" + std::to_string(video.size) + ".mp4";
}

// Taps "下载" on every row that shows it (stopped or failed), one after another.
void resumeEverything(RunningApp& app) {
    for (int tap = 0; tap < 6; ++tap) {
        if (!RunningApp::showsText(app.screen(), "下载") || app.post("/api/tap", {{"text", "下载"}}).status != 200) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

class Soak {
public:
    Soak(int kills, unsigned seed) : kills_(kills), random_(seed), seed_(seed) {}

    int run() {
        auto& defaults = platform::UserDefaults::standard();
        defaults.setObject("demo", "userName");
        defaults.setObject("10001", "userId");
        defaults.setObject("3", "kMaxRequestCount");  // all three at once
        defaults.synchronize();
        RunningApp::Paths paths{QELVO_APP_BIN, QELVO_DEMO_SERVICE_BIN, QELVO_DEMO_DATA_DIR};
        paths.serviceArgs = {"--seed", std::to_string(seed_)};
        RunningApp app(paths, container_.path());
        if (!app.ready()) {
            std::printf("the app did not start: %s\n", app.failure().c_str());
            return 1;
        }
        if (DownloadsJourney::openCourseFromHome(app).empty()) {
            std::printf("no course page to add videos from\n");
            return 1;
        }
        const std::string origin = "http://127.0.0.1:" + std::to_string(app.servicePort());
        for (const auto& video : kVideos) {
            const std::string url = origin + videoPath(video) + "?rate=" + std::to_string(kRate) +
                                    "&faults=" + std::to_string(kFaultPercent);
            app.post("/api/link", {{"url", "video:" + url + "*" + video.id}});
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        DownloadsJourney::openDownloads(app);

        std::uniform_int_distribution<int> pause(400, 2200);
        int survived = 0;
        for (int kill = 1; kill <= kills_; ++kill) {
            keepResuming(app, std::chrono::milliseconds(pause(random_)));
            const auto before = partialSizes();
            if (!app.killAndRestartApp()) {
                std::printf("kill %d: the app did not come back: %s\n", kill, app.failure().c_str());
                break;
            }
            survived += everyVideoKept(before) ? 1 : 0;
            DownloadsJourney::openDownloads(app);
            resumeEverything(app);
        }

        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(10);
        while (!allFinished() && std::chrono::steady_clock::now() < limit) {
            keepResuming(app, std::chrono::seconds(2));
        }
        return report(app, survived);
    }

private:
    fs::path downloads() const { return fs::path(container_.path()) / "Documents" / "DownLoad"; }
    fs::path partial(const Video& video) const { return downloads() / "Temp" / video.id; }
    fs::path finished(const Video& video) const { return downloads() / "mp4" / (video.id + ".mp4"); }

    bool allFinished() const {
        for (const auto& video : kVideos) {
            if (!fs::exists(finished(video))) {
                return false;
            }
        }
        return true;
    }

    std::map<std::string, std::uintmax_t> partialSizes() const {
        std::map<std::string, std::uintmax_t> sizes;
        for (const auto& video : kVideos) {
            sizes[video.id] = sizeOf(partial(video));
        }
        return sizes;
    }

    // The person waits, resuming what a fault stopped, for about `wait`.
    static void keepResuming(RunningApp& app, std::chrono::milliseconds wait) {
        const auto end = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < end) {
            resumeEverything(app);
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
    }

    // Every video is still there, finished or with its record and a partial file no shorter.
    bool everyVideoKept(const std::map<std::string, std::uintmax_t>& before) const {
        for (const auto& video : kVideos) {
            if (fs::exists(finished(video))) {
                continue;
            }
            const bool listed = fs::exists(downloads() / "Temp" / (video.id + ".plist"));
            if (!listed || sizeOf(partial(video)) < before.at(video.id)) {
                return false;
            }
        }
        return true;
    }

    int report(RunningApp& app, int survived) const {
        const json transfers = app.serviceControl("/control/transfers");
        std::uint64_t fetched = 0;
        std::uint64_t total = 0;
        for (const auto& video : kVideos) {
            total += video.size;
            if (transfers.is_object() && transfers.contains("bytes")) {
                fetched += transfers["bytes"].value(videoPath(video), std::uint64_t{0});
            }
        }
        std::map<std::string, int> faults;
        int videoRequests = 0;
        const json requests = app.serviceRequests();
        for (const auto& request : requests["requests"]) {
            videoRequests += request.value("path", "").starts_with("/videos/") ? 1 : 0;
            if (request.contains("fault") && request["fault"].is_string()) {
                ++faults[request["fault"].get<std::string>()];
            }
        }
        std::printf("download soak: %d kills, seed %u, %d%% of requests faulty, 3 videos at %llu B/s each\n", kills_,
                    seed_, kFaultPercent, static_cast<unsigned long long>(kRate));
        std::printf("  kills survived: %d/%d\n", survived, kills_);
        std::printf("  video requests: %d; faults injected:", videoRequests);
        for (const auto& [kind, count] : faults) {
            std::printf(" %s %d", kind.c_str(), count);
        }
        std::printf("\n");
        const double refetched = total > 0 && fetched > total ? double(fetched - total) / double(total) : 0.0;
        std::printf("  bytes served %llu for %llu in the files: re-fetched %.2f %%\n",
                    static_cast<unsigned long long>(fetched), static_cast<unsigned long long>(total),
                    refetched * 100.0);
        bool whole = true;
        for (const auto& video : kVideos) {
            const std::string bytes = readFile(finished(video));
            const long long wrong = DownloadsJourney::firstWrongByte(bytes);
            const bool good = bytes.size() == video.size && wrong < 0;
            whole = whole && good;
            std::printf("  %s: %llu of %llu bytes, %s\n", video.id.c_str(), static_cast<unsigned long long>(bytes.size()),
                        static_cast<unsigned long long>(video.size),
                        good ? "byte-exact" : ("first wrong byte " + std::to_string(wrong)).c_str());
        }
        return whole ? 0 : 1;
    }

    int kills_;
    std::mt19937 random_;
    unsigned seed_;
    qelvo::test::TempContainer container_;
};

}  // namespace

int main(int argc, char** argv) {
    const int kills = argc > 1 ? std::atoi(argv[1]) : 50;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1U;
    return Soak(kills, seed).run();
}
