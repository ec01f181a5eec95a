#pragma once

#include "platform/foundation/Clock.h"

#include <optional>
#include <string>

namespace platform {

// Formats and parses dates in local time with the fixed patterns the app uses:
// "yyyy-MM-dd HH:mm:ss", "MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "MM/dd/yyyy hh:mm a".
// Fields a pattern lacks read as in the year 2000, January 1st, midnight.
class DateFormatter {
public:
    using Date = Clock::Date;

    explicit DateFormatter(std::string pattern);

    std::string stringFromDate(Date date) const;
    // How the platform prints a date in a log line ("%@"): UTC with the zone offset,
    // "2024-01-01 08:00:00 +0000"; "(null)" when there is none.
    static std::string description(const std::optional<Date>& date);
    // Absent unless the whole text matches the pattern and names a real moment that a
    // Date can hold (years 1678 to 2261).
    std::optional<Date> dateFromString(const std::string& text) const;
    const std::string& pattern() const { return pattern_; }

private:
    std::string pattern_;
};

}  // namespace platform
