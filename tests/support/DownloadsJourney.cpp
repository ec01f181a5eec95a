#include "tests/support/DownloadsJourney.h"

#include <fstream>
#include <thread>
#include <vector>

namespace qelvo::test {
namespace {

using nlohmann::json;

json demoContent(const std::string& file) {
    std::ifstream in(std::string(QELVO_SOURCE_DIR) + "/demo-service/data/content/" + file);
    return json::parse(in, nullptr, false);
}

void collectLinks(const json& node, std::vector<std::string>& links) {
    if (node.contains("links")) {
        for (const auto& link : node["links"]) {
            links.push_back(link);
        }
    }
    if (node.contains("children")) {
        for (const auto& child : node["children"]) {
            collectLinks(child, links);
        }
    }
}

}  // namespace

std::string DownloadsJourney::openCourseFromHome(RunningApp& app) {
    const json home = demoContent("home.json");
    const json courses = demoContent("courses.json");
    std::string tile;
    for (const auto& category : courses["categories"]) {
        if (category["id"] == home["sections"][0]["categoryId"]) {
            tile = category["courses"][0]["title"];
        }
    }
    // The home page refreshes at first start; tap once its list has settled.
    app.waitForScreen(
        [&](const json& s) {
            return RunningApp::showsText(s, tile) && !RunningApp::showsText(s, "正在刷新...");
        },
        20);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (tile.empty() || app.post("/api/tap", {{"text", tile}}).status != 200) {
        return {};
    }
    app.waitForScreen([](const json& s) {
        for (const auto& view : s["views"]) {
            if (view["kind"] == "web" && !view.value("loading", true)) {
                return s["screens"].back() == "CourseDetailViewCon";
            }
        }
        return false;
    });
    return tile;
}

std::string DownloadsJourney::pageVideoLink(RunningApp& app) {
    std::vector<std::string> links;
    const json tree = app.get("/api/tree").body;
    collectLinks(tree["window"], links);
    for (const auto& link : links) {
        if (link.rfind("video:", 0) == 0) {
            return link;
        }
    }
    return {};
}

bool DownloadsJourney::openDownloads(RunningApp& app) {
    // Screens pushed over the tab's root hide the tab bar.
    for (int back = 0; back < 5 && app.screen()["screens"].size() > 1; ++back) {
        app.post("/api/back");
        app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "学员中心"); }, 2);
    }
    return app.post("/api/tap", {{"text", "学员中心"}}).status == 200 &&
           app.waitForScreen([](const json& s) { return RunningApp::showsText(s, "课程下载"); }) &&
           app.post("/api/tap", {{"text", "课程下载"}}).status == 200 &&
           app.waitForScreen([](const json& s) { return s["screens"].back() == "StudeRecordViewCon"; });
}

unsigned char DownloadsJourney::syntheticByte(std::uint64_t index) {
    std::uint64_t x = index;
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDULL;
    x ^= x >> 33;
    return static_cast<unsigned char>(x & 0xFF);
}

long long DownloadsJourney::firstWrongByte(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) != syntheticByte(i)) {
            return static_cast<long long>(i);
        }
    }
    return -1;
}

}  // namespace qelvo::test
