// Course videos downloaded by the running app from the demo service, driven only
// through the device API: from a home tile to a finished file, across kills of the
// process, and stopped by a move onto the cellular network.

#include "platform/foundation/UserDefaults.h"
#include "tests/support/DownloadsJourney.h"
#include "tests/support/RunningApp.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace qelvo::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

RunningApp::Paths paths() {
    return {QELVO_APP_BIN, QELVO_DEMO_SERVICE_BIN, std::string(QELVO_SOURCE_DIR) + "/demo-service/data"};
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool waitFor(const std::function<bool()>& done, double seconds) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < limit) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// The requests the demo service has had for addresses under `prefix`, oldest first.
std::vector<json> requestsUnder(RunningApp& app, const std::string& prefix) {
    std::vector<json> found;
    const json log = app.serviceRequests();
    for (const auto& request : log["requests"]) {
        if (request.value("path", "").rfind(prefix, 0) == 0) {
            found.push_back(request);
        }
    }
    return found;
}

std::string rangeOf(const json& request) {
    return request.contains("headers") ? request["headers"].value("Range", "") : "";
}

std::uintmax_t sizeOf(const fs::path& path) {
    std::error_code error;
    auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

class DownloadsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        // A logged-in user, so the student centre opens the downloads screen.
        auto& defaults = platform::UserDefaults::standard();
        defaults.setObject("demo", "userName");
        defaults.setObject("10001", "userId");
        defaults.synchronize();
    }

    fs::path documents() const { return fs::path(container.path()) / "Documents" / "DownLoad"; }

    std::string openCourseFromHome(RunningApp& app) {
        const std::string tile = DownloadsJourney::openCourseFromHome(app);
        EXPECT_FALSE(tile.empty());
        EXPECT_EQ(app.screen()["screens"].back(), "CourseDetailViewCon") << app.screen().dump();
        return tile;
    }

    static void openDownloads(RunningApp& app) { ASSERT_TRUE(DownloadsJourney::openDownloads(app)); }

    TempContainer container;
};

TEST_F(DownloadsEndToEnd, ACourseVideoFromAHomeTileFinishesByteIdenticalToTheServedFile) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    openCourseFromHome(app);
    const std::string link = DownloadsJourney::pageVideoLink(app);
    ASSERT_FALSE(link.empty()) << app.get("/api/tree").body.dump();
    ASSERT_EQ(app.post("/api/link", {{"url", link}}).status, 200);
    EXPECT_TRUE(app.waitForScreen(
        [](const json& s) { return s["toasts"].dump().find("已添加到下载列表") != std::string::npos; }));

    // "video:" + address + "*" + identifier.
    const std::string address = link.substr(6, link.rfind('*') - 6);
    const std::string fileID = link.substr(link.rfind('*') + 1);
    const fs::path finished = documents() / "mp4" / (fileID + ".mp4");
    ASSERT_TRUE(waitFor([&] { return fs::exists(finished); }, 30));

    openDownloads(app);
    ASSERT_EQ(app.post("/api/tap", {{"text", "已下载"}}).status, 200);
    EXPECT_TRUE(app.waitForScreen([](const json& s) {
        for (const auto& view : s["views"]) {
            if (view["kind"] == "cell" && view.value("text", "").find("(100%)") != std::string::npos) {
                return true;
            }
        }
        return false;
    })) << app.screen().dump();

    httplib::Client service("127.0.0.1", app.servicePort());
    auto served = service.Get(address.substr(address.find('/', 7)));
    ASSERT_TRUE(served && served->status == 200);
    const std::string bytes = readFile(finished);
    EXPECT_EQ(bytes.size(), served->body.size());
    EXPECT_TRUE(bytes == served->body) << "the finished file differs from the served one";
}

TEST_F(DownloadsEndToEnd, KilledFiveTimesMidDownloadTheVideoStillFinishesByteForByte) {
    constexpr std::uint64_t kSize = 48ULL * 1024 * 1024;
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    openCourseFromHome(app);
    const std::string url = "http://127.0.0.1:" + std::to_string(app.servicePort()) + "/videos/synthetic/" +
                            std::to_string(kSize) + ".mp4?rate=12582912";
    ASSERT_EQ(app.post("/api/link", {{"url", "video:" + url + "*bigvideo"}}).status, 200);

    const fs::path partial = documents() / "Temp" / "bigvideo";
    const fs::path finished = documents() / "mp4" / "bigvideo.mp4";
    for (int kill = 1; kill <= 5; ++kill) {
        // Each kill lands further into the file: after 12%, 24%, ... 60% of it.
        const std::uint64_t mark = kSize * 12 * kill / 100;
        ASSERT_TRUE(waitFor([&] { return sizeOf(partial) >= mark; }, 60)) << "kill " << kill << ": stuck at "
                                                                           << sizeOf(partial);
        ASSERT_TRUE(app.killAndRestartApp()) << app.failure();
        const std::uintmax_t kept = sizeOf(partial);
        EXPECT_GE(kept, mark) << "the partial file lost bytes at kill " << kill;

        // After the restart the download is stopped until the user resumes it: the resume is
        // the next request for the file, and it asks for the rest of the file as the kill
        // left it.
        openDownloads(app);
        ASSERT_TRUE(app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "下载"); }))
            << app.screen().dump();
        const std::size_t asked = requestsUnder(app, "/videos/synthetic/").size();
        EXPECT_EQ(asked, static_cast<std::size_t>(kill)) << "nothing was asked before the user resumed";
        ASSERT_EQ(app.post("/api/tap", {{"text", "下载"}}).status, 200);
        ASSERT_TRUE(waitFor([&] { return requestsUnder(app, "/videos/synthetic/").size() > asked; }, 10));
        const auto requests = requestsUnder(app, "/videos/synthetic/");
        ASSERT_EQ(requests.size(), asked + 1);
        EXPECT_EQ(rangeOf(requests.back()), "bytes=" + std::to_string(kept) + "-")
            << "nothing was downloaded before the user resumed";
    }
    ASSERT_TRUE(waitFor([&] { return fs::exists(finished); }, 60));
    const std::string bytes = readFile(finished);
    EXPECT_EQ(bytes.size(), kSize);
    EXPECT_EQ(DownloadsJourney::firstWrongByte(bytes), -1);

    // Every request after the first asked for the rest of the file.
    int ranged = 0;
    const json requests = app.serviceRequests();
    for (const auto& request : requests["requests"]) {
        if (request.value("path", "").find("/videos/synthetic/") == 0 && request.contains("headers")) {
            ranged += request["headers"].contains("Range") ? 1 : 0;
        }
    }
    EXPECT_GE(ranged, 5);
}

// The finished list's entries, or nothing when it is missing or unreadable.
json finishedEntries(const fs::path& downloads) {
    std::ifstream in(downloads / "finishPlist.plist");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    json entries = json::array();
    for (auto at = text.find("<key>filename</key>"); at != std::string::npos;
         at = text.find("<key>filename</key>", at + 1)) {
        const auto start = text.find("<string>", at) + 8;
        entries.push_back(text.substr(start, text.find("</string>", start) - start));
    }
    return entries;
}

TEST_F(DownloadsEndToEnd, AnErrorPageIsNeverAFinishedVideoAndTheVideoStillDownloadsAfterIt) {
    constexpr std::uint64_t kSize = 3000000;
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    openCourseFromHome(app);
    const std::string url = "http://127.0.0.1:" + std::to_string(app.servicePort()) + "/videos/synthetic/" +
                            std::to_string(kSize) + ".mp4?status=500&times=1";
    ASSERT_EQ(app.post("/api/link", {{"url", "video:" + url + "*errvideo"}}).status, 200);
    ASSERT_TRUE(app.waitForLogLine("下载完成:500", 20));

    const fs::path finished = documents() / "mp4" / "errvideo.mp4";
    EXPECT_FALSE(fs::exists(finished)) << "the error page is not stored as the video";
    EXPECT_TRUE(fs::exists(documents() / "Temp" / "errvideo.plist")) << "the download stays listed unfinished";
    EXPECT_FALSE(finishedEntries(documents()).dump().find("errvideo") != std::string::npos);

    // Adding it again says it is in the list, not that it was downloaded.
    ASSERT_EQ(app.post("/api/link", {{"url", "video:" + url + "*errvideo"}}).status, 200);
    EXPECT_TRUE(app.waitForScreen(
        [](const json& s) { return s["toasts"].dump().find("已在下载列表") != std::string::npos; }));

    // The person resumes it; the service answers properly this time.
    openDownloads(app);
    ASSERT_TRUE(app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "下载"); }));
    ASSERT_EQ(app.post("/api/tap", {{"text", "下载"}}).status, 200);
    ASSERT_TRUE(waitFor([&] { return fs::exists(finished); }, 30));
    const std::string bytes = readFile(finished);
    EXPECT_EQ(bytes.size(), kSize);
    EXPECT_EQ(DownloadsJourney::firstWrongByte(bytes), -1);
    EXPECT_TRUE(waitFor([&] { return finishedEntries(documents()).dump().find("errvideo") != std::string::npos; }, 5));
}

TEST_F(DownloadsEndToEnd, ADiskThatFillsIsToldAndTheDownloadGoesOnOnceSpaceIsFreed) {
    // The app runs on a disk of its own: a 344 MiB memory file system in a private mount
    // namespace, which needs no privileges where user namespaces are allowed.
    if (std::system("/usr/bin/unshare -rm true >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "this machine does not allow private mount namespaces (unshare -rm)";
    }
    constexpr std::uint64_t kSize = 330ULL * 1024 * 1024;
    const fs::path disk = fs::path(container.path()) / "disk";
    fs::create_directories(disk);
    RunningApp::Paths launched = paths();
    launched.appLauncher = {"/usr/bin/unshare", "-rm", "sh", "-c",
                            "mount -t tmpfs -o size=344m qelvo-disk \"$1\" && cp -a \"$2\"/Library \"$1\"/ && "
                            "shift 2 && exec \"$@\"",
                            "sh", disk.string(), container.path()};
    RunningApp app(launched, disk.string());
    ASSERT_TRUE(app.ready()) << app.failure();
    // The app's view of its disk.
    const fs::path seen = fs::path("/proc") / std::to_string(app.appPid()) / "root" / disk.relative_path();
    const fs::path downloads = seen / "Documents" / "DownLoad";
    {
        // 40 MiB of other data leaves just over the 300 MiB a new download asks for.
        std::ofstream filler(seen / "filler", std::ios::binary);
        const std::string mebibyte(1024 * 1024, 'f');
        for (int i = 0; i < 40; ++i) {
            filler << mebibyte;
        }
    }
    openCourseFromHome(app);
    const std::string url = "http://127.0.0.1:" + std::to_string(app.servicePort()) + "/videos/synthetic/" +
                            std::to_string(kSize) + ".mp4";
    ASSERT_EQ(app.post("/api/link", {{"url", "video:" + url + "*bigvideo"}}).status, 200);
    EXPECT_TRUE(app.waitForScreen(
        [](const json& s) { return s["toasts"].dump().find("磁盘空间不足,请先清理手机的空间!") != std::string::npos; },
        60))
        << "the person is told that the disk is full";
    const fs::path partial = downloads / "Temp" / "bigvideo";
    const std::uintmax_t kept = sizeOf(partial);
    EXPECT_GT(kept, 200ULL * 1024 * 1024);
    EXPECT_LT(kept, kSize);
    EXPECT_EQ(DownloadsJourney::firstWrongByte(readFile(partial)), -1) << "the partial file holds good bytes only";
    EXPECT_FALSE(fs::exists(downloads / "mp4" / "bigvideo.mp4"));

    // Space is freed; the person resumes and the download goes on from the partial file.
    fs::remove(seen / "filler");
    openDownloads(app);
    ASSERT_TRUE(app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "下载"); }));
    ASSERT_EQ(app.post("/api/tap", {{"text", "下载"}}).status, 200);
    const fs::path finished = downloads / "mp4" / "bigvideo.mp4";
    ASSERT_TRUE(waitFor([&] { return fs::exists(finished); }, 60));
    const std::string bytes = readFile(finished);
    EXPECT_EQ(bytes.size(), kSize);
    EXPECT_EQ(DownloadsJourney::firstWrongByte(bytes), -1);
    const json requests = app.serviceRequests();
    std::string lastRange;
    for (const auto& request : requests["requests"]) {
        if (request.value("path", "").find("/videos/synthetic/") == 0 && request["headers"].contains("Range")) {
            lastRange = request["headers"]["Range"];
        }
    }
    EXPECT_EQ(lastRange, "bytes=" + std::to_string(kept) + "-") << "resumed from the partial file's size";
}

TEST_F(DownloadsEndToEnd, MovingOntoTheCellularNetworkStopsARunningDownload) {
    RunningApp app(paths(), container.path());
    ASSERT_TRUE(app.ready()) << app.failure();
    ASSERT_EQ(app.post("/api/network", {{"status", "wifi"}}).status, 200);
    openCourseFromHome(app);
    const std::string url =
        "http://127.0.0.1:" + std::to_string(app.servicePort()) + "/videos/synthetic/33554432.mp4?rate=1048576";
    ASSERT_EQ(app.post("/api/link", {{"url", "video:" + url + "*slowvideo"}}).status, 200);
    const fs::path partial = documents() / "Temp" / "slowvideo";
    ASSERT_TRUE(waitFor([&] { return sizeOf(partial) > 0; }, 20));

    ASSERT_EQ(app.post("/api/network", {{"status", "cellular"}}).status, 200);
    ASSERT_TRUE(app.waitForLogLine("停止下载任务: slowvideo", 5));
    const std::uintmax_t kept = sizeOf(partial);
    // A page the course screen opens afterwards is the app's next transfer: the network
    // thread takes it up after the stopped one's cancel, so once the service has it the
    // stopped transfer is closed, and nothing started the video again before it.
    const std::string marker = "/marker-after-the-stop";
    const std::string page = "http://127.0.0.1:" + std::to_string(app.servicePort()) + marker;
    ASSERT_EQ(app.post("/api/link", {{"url", page}}).status, 200);
    ASSERT_TRUE(waitFor([&] { return !requestsUnder(app, marker).empty(); }, 10));
    EXPECT_EQ(requestsUnder(app, "/videos/synthetic/").size(), 1U) << "the video was asked for again";
    EXPECT_EQ(sizeOf(partial), kept) << "the download went on over the cellular network";

    openDownloads(app);
    EXPECT_TRUE(app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "下载"); }));
}

}  // namespace
}  // namespace qelvo::test
