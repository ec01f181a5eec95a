#include "platform/foundation/DateFormatter.h"

#include <fmt/format.h>
#include <ctime>
#include <vector>

namespace platform {

namespace {

struct Token {
    char letter;        // 0 for literal text
    std::size_t width;  // repeat count of the letter
    std::string literal;
};

std::vector<Token> tokenize(const std::string& pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            std::size_t j = i;
            while (j < pattern.size() && pattern[j] == c)
                ++j;
            tokens.push_back({c, j - i, {}});
            i = j;
        } else {
            if (tokens.empty() || tokens.back().letter != 0) tokens.push_back({0, 0, {}});
            tokens.back().literal += c;
            ++i;
        }
    }
    return tokens;
}

// Reads up to `maxDigits` digits (at least one).
bool readNumber(const std::string& text, std::size_t& pos, std::size_t maxDigits, int& out) {
    std::size_t digits = 0;
    int value = 0;
    while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    out = value;
    return digits > 0;
}

}  // namespace

DateFormatter::DateFormatter(std::string pattern) : pattern_(std::move(pattern)) {}

std::string DateFormatter::description(const std::optional<Date>& date) {
    if (!date) {
        return "(null)";
    }
    const std::time_t seconds = std::chrono::system_clock::to_time_t(*date);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &utc);
    return text;
}

std::string DateFormatter::stringFromDate(Date date) const {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm local{};
    localtime_r(&seconds, &local);
    std::string out;
    for (const auto& token : tokenize(pattern_)) {
        switch (token.letter) {
            case 0: out += token.literal; break;
            case 'y':
                out += token.width == 2 ? fmt::format("{:02d}", (local.tm_year + 1900) % 100)
                                        : fmt::format("{:04d}", local.tm_year + 1900);
                break;
            case 'M': out += fmt::format("{:0{}d}", local.tm_mon + 1, token.width); break;
            case 'd': out += fmt::format("{:0{}d}", local.tm_mday, token.width); break;
            case 'H': out += fmt::format("{:0{}d}", local.tm_hour, token.width); break;
            case 'h': {
                const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
                out += fmt::format("{:0{}d}", hour12, token.width);
                break;
            }
            case 'm': out += fmt::format("{:0{}d}", local.tm_min, token.width); break;
            case 's': out += fmt::format("{:0{}d}", local.tm_sec, token.width); break;
            case 'a': out += local.tm_hour < 12 ? "AM" : "PM"; break;
            default: out += std::string(token.width, token.letter); break;
        }
    }
    return out;
}

std::optional<DateFormatter::Date> DateFormatter::dateFromString(const std::string& text) const {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int hour12 = -1;
    int meridiem = -1;  // 0 AM, 1 PM
    std::size_t pos = 0;
    for (const auto& token : tokenize(pattern_)) {
        switch (token.letter) {
            case 0:
                if (text.compare(pos, token.literal.size(), token.literal) != 0) return std::nullopt;
                pos += token.literal.size();
                break;
            case 'y':
                if (!readNumber(text, pos, token.width == 2 ? 2 : 4, year)) return std::nullopt;
                if (token.width == 2) year += 2000;
                break;
            case 'M':
                if (!readNumber(text, pos, 2, month)) return std::nullopt;
                break;
            case 'd':
                if (!readNumber(text, pos, 2, day)) return std::nullopt;
                break;
            case 'H':
                if (!readNumber(text, pos, 2, hour)) return std::nullopt;
                break;
            case 'h':
                if (!readNumber(text, pos, 2, hour12)) return std::nullopt;
                break;
            case 'm':
                if (!readNumber(text, pos, 2, minute)) return std::nullopt;
                break;
            case 's':
                if (!readNumber(text, pos, 2, second)) return std::nullopt;
                break;
            case 'a': {
                const std::string mark = text.substr(pos, 2);
                if (mark == "AM" || mark == "am")
                    meridiem = 0;
                else if (mark == "PM" || mark == "pm")
                    meridiem = 1;
                else
                    return std::nullopt;
                pos += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    if (pos != text.size()) return std::nullopt;
    if (hour12 >= 0) {
        if (hour12 < 1 || hour12 > 12) return std::nullopt;
        hour = hour12 % 12 + (meridiem == 1 ? 12 : 0);
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    // mktime moves an impossible day (02-30) into the next month: refuse it.
    if (seconds == static_cast<std::time_t>(-1) || local.tm_mday != day || local.tm_mon != month - 1) {
        return std::nullopt;
    }
    // A date counts nanoseconds in 64 bits: moments before 1678 or after 2261 do not fit.
    constexpr auto kFirst = std::chrono::duration_cast<std::chrono::seconds>(Date::duration::min()).count();
    constexpr auto kLast = std::chrono::duration_cast<std::chrono::seconds>(Date::duration::max()).count();
    if (seconds < kFirst || seconds > kLast) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(seconds);
}

}  // namespace platform
