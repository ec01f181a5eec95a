#pragma once

#include <fmt/format.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The diagnostic log: each message is one line on standard error, prefixed with
// a timestamp and the process, like the platform log. The messages (without the
// prefix) are also kept, numbered from 0, for the device API and tests.
class Log {
public:
    static Log& shared();

    void write(std::string_view message);
    // Messages numbered from `from` on; `next` is the number to ask from next time.
    std::vector<std::string> linesFrom(std::size_t from, std::size_t* next) const;
    std::size_t lineCount() const;
    // Silences standard error (tests); the kept lines still grow.
    void setEcho(bool echo);
    // Forgets the kept lines, keeping the numbering (tests).
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<std::string> lines_;
    std::size_t firstNumber_ = 0;
    bool echo_ = true;
};

inline void log(std::string_view message) {
    Log::shared().write(message);
}

template <typename... Args>
void logf(fmt::format_string<Args...> format, Args&&... args) {
    Log::shared().write(fmt::format(format, std::forward<Args>(args)...));
}

}  // namespace platform
