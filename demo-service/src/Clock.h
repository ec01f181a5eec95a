#pragma once

#include <chrono>
#include <string>

namespace qelvo::demo {

// Time texts used in logs, replies and HTTP headers.
class Clock {
public:
    // "2024-06-01T08:30:00.123Z"
    static std::string isoNow();
    // "Sun, 06 Nov 1994 08:49:37 GMT", as Last-Modified wants it.
    static std::string httpDate(std::chrono::system_clock::time_point when);
};

}  // namespace qelvo::demo
