#include "tests/httprequest/DownloadFixture.h"

#include "Library/HTTPRequest/HTTPRequestQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <httplib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qelvo::test {

std::unique_ptr<ChildProcess> DownloadFixture::service_;
int DownloadFixture::port_ = 0;

namespace {

int portAfter(const std::string& output, const std::string& marker) {
    auto at = output.find(marker);
    if (at == std::string::npos) return 0;
    at = output.find("127.0.0.1:", at);
    if (at == std::string::npos) return 0;
    return std::atoi(output.c_str() + at + 10);
}

httplib::Client controlClient(int port) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    return client;
}

}  // namespace

void DownloadFixture::SetUpTestSuite() {
    using namespace std::chrono_literals;
    if (service_) return;
    service_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{QELVO_DEMO_SERVICE_BIN, "--port", "0", "--data",
                                 std::string(QELVO_SOURCE_DIR) + "/demo-service/data", "--stall-cap", "30"});
    const std::string marker = "qelvo-demo-service listening on";
    if (service_->started() && service_->waitForOutput(marker, 10s)) {
        port_ = portAfter(service_->output(), marker);
    }
}

void DownloadFixture::TearDownTestSuite() {
    using namespace std::chrono_literals;
    if (service_) {
        service_->signal(SIGTERM);
        service_->waitForExit(5s);
        service_.reset();
    }
    port_ = 0;
}

void DownloadFixture::SetUp() {
    ASSERT_GT(port_, 0) << "the demo service did not start";
    platform::Log::shared().setEcho(false);
    platform::RunLoop::main().adoptCurrentThread();
    platform::RunLoop::main().reset();
    clock = std::make_shared<platform::ManualClock>();
    platform::RunLoop::main().setClock(clock);
    recorder = std::make_shared<RecordingDelegate>();
    std::string pattern = (std::filesystem::temp_directory_path() / "qelvo-httprequest-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    tempPath = folder + "/video.mp4.tmp";
    targetPath = folder + "/video.mp4";
    auto reply = controlClient(port_).Get("/control");
    ASSERT_TRUE(reply && reply->status == 200);
    firstLogEntry_ = nlohmann::json::parse(reply->body).value("requestsNext", 0);
}

void DownloadFixture::TearDown() {
    // Nothing of this test may run on into the next one.
    EXPECT_EQ(HTTPRequestQueue::shared().runningCount(), 0u);
    EXPECT_EQ(HTTPRequestQueue::shared().waitingCount(), 0u);
    platform::RunLoop::main().reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string DownloadFixture::origin() {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string DownloadFixture::syntheticURL(std::uint64_t size, const std::string& switches) {
    return origin() + "/videos/synthetic/" + std::to_string(size) + ".mp4" +
           (switches.empty() ? "" : "?" + switches);
}

unsigned char DownloadFixture::syntheticByte(std::uint64_t index, int version) {
    std::uint64_t x = index + static_cast<std::uint64_t>(version) * 0x9E3779B97F4A7C15ULL;
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDULL;
    x ^= x >> 33;
    return static_cast<unsigned char>(x & 0xFF);
}

std::string DownloadFixture::syntheticBytes(std::uint64_t from, std::uint64_t count, int version) {
    std::string bytes(count, '\0');
    for (std::uint64_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>(syntheticByte(from + i, version));
    }
    return bytes;
}

std::shared_ptr<HTTPRequest> DownloadFixture::makeRequest(const std::string& url) {
    auto request = HTTPRequest::initWithURL(url);
    request->setDelegate(recorder);
    request->setDownloadDestinationPath(targetPath);
    request->setTemporaryFileDownloadPath(tempPath);
    request->setDownloadProgressDelegate(recorder);
    request->setNumberOfTimesToRetryOnTimeout(2);
    request->setAllowResumeForFileDownloads(true);
    request->setUserInfo({{"File", std::string("video")}});
    request->setTimeOutSeconds(30.0);
    return request;
}

void DownloadFixture::writeFile(const std::string& path, const std::string& bytes) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string DownloadFixture::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool DownloadFixture::exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::uint64_t DownloadFixture::sizeOf(const std::string& path) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

bool DownloadFixture::runUntilEnded(double seconds) {
    return platform::RunLoop::main().runUntil([this] { return recorder->ended(); }, seconds);
}

bool DownloadFixture::runUntil(const std::function<bool()>& done, double seconds) {
    return platform::RunLoop::main().runUntil(done, seconds);
}

nlohmann::json DownloadFixture::requestsSent() {
    auto reply = controlClient(port_).Get("/control/requests?from=" + std::to_string(firstLogEntry_));
    if (!reply || reply->status != 200) return nlohmann::json::array();
    return nlohmann::json::parse(reply->body)["requests"];
}

std::vector<std::string> DownloadFixture::rangesSent() {
    std::vector<std::string> ranges;
    for (const auto& entry : requestsSent()) {
        std::string range;
        for (const auto& [name, value] : entry["headers"].items()) {
            if (name == "Range") range = value.get<std::string>();
        }
        ranges.push_back(range);
    }
    return ranges;
}

std::string DownloadFixture::syntheticETag(std::uint64_t size, int version) {
    return "\"synthetic-" + std::to_string(size) + "-v" + std::to_string(version) + "\"";
}

}  // namespace qelvo::test
