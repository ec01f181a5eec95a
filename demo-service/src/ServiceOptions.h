#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace qelvo::demo {

struct ServiceOptions {
    std::string host = "127.0.0.1";
    int port = 8080;  // 0 picks a free port
    std::filesystem::path dataDir;
    std::size_t maxThreads = 128;
    std::chrono::milliseconds stallCap{120000};  // longest stall when "stallMs" is not given
    bool accessLog = false;                      // one line per request on standard error
    std::uint64_t seed = 1;                      // seeds the draws of the "faults" switch
};

}  // namespace qelvo::demo
