#pragma once

#include "tests/support/RunningApp.h"

#include <cstdint>
#include <string>

namespace qelvo::test {

// What a person does in the running app to download course videos, through the device API:
// open a course from the home page, open the downloads screen, and check what arrived.
class DownloadsJourney {
public:
    DownloadsJourney() = delete;

    // Opens the first course of the home page's first section and waits for its page; its title.
    static std::string openCourseFromHome(RunningApp& app);
    // The "video:" link of the front-most web page, or "".
    static std::string pageVideoLink(RunningApp& app);
    // The student centre's downloads screen, its unfinished list in front (the user is logged in).
    static bool openDownloads(RunningApp& app);
    // Byte `index` of version 0 of a synthetic file of the demo service.
    static unsigned char syntheticByte(std::uint64_t index);
    // The index of the first byte that differs from the synthetic file, or -1.
    static long long firstWrongByte(const std::string& bytes);
};

}  // namespace qelvo::test
