#include "platform/foundation/Log.h"

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace platform {

namespace {
constexpr std::size_t kKeptLines = 20000;  // enough for any automation session; older lines drop off
}

Log& Log::shared() {
    static Log* log = new Log();
    return *log;
}

void Log::write(std::string_view message) {
    std::string line(message);
    std::lock_guard lock(mutex_);
    if (echo_) {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto millis =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
        std::tm local{};
        localtime_r(&seconds, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
        std::fprintf(stderr, "%s.%03lld qelvo[%d] %s\n", stamp, static_cast<long long>(millis),
                     static_cast<int>(::getpid()), line.c_str());
    }
    lines_.push_back(std::move(line));
    if (lines_.size() > kKeptLines) {
        const std::size_t drop = lines_.size() - kKeptLines;
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(drop));
        firstNumber_ += drop;
    }
}

std::vector<std::string> Log::linesFrom(std::size_t from, std::size_t* next) const {
    std::lock_guard lock(mutex_);
    const std::size_t end = firstNumber_ + lines_.size();
    if (next) *next = end;
    std::vector<std::string> out;
    for (std::size_t n = std::max(from, firstNumber_); n < end; ++n)
        out.push_back(lines_[n - firstNumber_]);
    return out;
}

std::size_t Log::lineCount() const {
    std::lock_guard lock(mutex_);
    return firstNumber_ + lines_.size();
}

void Log::setEcho(bool echo) {
    std::lock_guard lock(mutex_);
    echo_ = echo;
}

void Log::clear() {
    std::lock_guard lock(mutex_);
    firstNumber_ += lines_.size();
    lines_.clear();
}

}  // namespace platform
