#include "tests/httprequest/DownloadFixture.h"

#include <fstream>
#include <string>

namespace qelvo::test {
namespace {

// Peak resident memory of this process so far, in KiB ("VmHWM").
long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Sanitizers keep freed blocks in quarantine and add shadow memory, so the peak
// says nothing about the engine there; the download and its bytes are still checked.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kPeakMemoryMeaningful = false;
#else
constexpr bool kPeakMemoryMeaningful = true;
#endif

using Memory = DownloadFixture;

TEST_F(Memory, LargeDownloadDoesNotGrowTheProcess) {
    constexpr std::uint64_t kSize = 512ULL * 1024 * 1024;
    const long before = peakResidentKiB();
    ASSERT_GT(before, 0);
    auto request = makeRequest(syntheticURL(kSize));
    request->startAsynchronous();
    ASSERT_TRUE(runUntilEnded(120.0));
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(sizeOf(targetPath), kSize);
    if (kPeakMemoryMeaningful) {
        const long grown = peakResidentKiB() - before;
        EXPECT_LT(grown, 16 * 1024) << "peak memory grew by " << grown << " KiB";
    }
    // Spot checks of the content, which is too large to compare whole.
    std::ifstream file(targetPath, std::ios::binary);
    for (std::uint64_t at : {std::uint64_t{0}, kSize / 3, kSize - 4096}) {
        std::string bytes(4096, '\0');
        file.seekg(static_cast<std::streamoff>(at));
        file.read(bytes.data(), 4096);
        EXPECT_EQ(bytes, syntheticBytes(at, 4096)) << "at " << at;
    }
}

}  // namespace
}  // namespace qelvo::test
