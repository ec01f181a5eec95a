#pragma once

#include "Library/HTTPRequest/HTTPRequest.h"
#include "tests/httprequest/RecordingDelegate.h"
#include "tests/support/ChildProcess.h"

#include "platform/foundation/Clock.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qelvo::test {

// The demo service on a free loopback port (one per test program), the main run loop on a
// manual clock, and a scratch folder for partial and destination files.
class DownloadFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static std::string origin();
    // The address of a synthetic file of `size` bytes, with the given switches ("a=1&b=2").
    static std::string syntheticURL(std::uint64_t size, const std::string& switches = "");
    // Byte `index` of version `version` of every synthetic file.
    static unsigned char syntheticByte(std::uint64_t index, int version = 0);
    static std::string syntheticBytes(std::uint64_t from, std::uint64_t count, int version = 0);

    // A request set up as the download engine sets it up, reporting to `recorder`.
    std::shared_ptr<HTTPRequest> makeRequest(const std::string& url);
    void writeFile(const std::string& path, const std::string& bytes) const;
    static std::string readFile(const std::string& path);
    static bool exists(const std::string& path);
    static std::uint64_t sizeOf(const std::string& path);

    // Runs the main loop until the request ended (or the real-time limit passed).
    bool runUntilEnded(double seconds = 20.0);
    bool runUntil(const std::function<bool()>& done, double seconds = 20.0);
    // Requests the service received since the test began: their "Range" values ("" for none).
    std::vector<std::string> rangesSent();
    nlohmann::json requestsSent();
    // The entity tag the service gives a synthetic file.
    static std::string syntheticETag(std::uint64_t size, int version = 0);

    std::shared_ptr<platform::ManualClock> clock;
    std::shared_ptr<RecordingDelegate> recorder;
    std::string folder;
    std::string tempPath;
    std::string targetPath;

private:
    static std::unique_ptr<ChildProcess> service_;
    static int port_;
    int firstLogEntry_ = 0;
};

}  // namespace qelvo::test
