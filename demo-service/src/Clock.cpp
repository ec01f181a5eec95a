#include "Clock.h"

#include <ctime>

#include <fmt/format.h>

namespace qelvo::demo {

std::string Clock::isoNow() {
    const auto now = std::chrono::system_clock::now();
    const auto seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    return fmt::format("{}.{:03}Z", text, millis);
}

std::string Clock::httpDate(std::chrono::system_clock::time_point when) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    return fmt::format("{}, {:02} {} {} {:02}:{:02}:{:02} GMT", days[utc.tm_wday % 7], utc.tm_mday,
                       months[utc.tm_mon % 12], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
}

}  // namespace qelvo::demo
