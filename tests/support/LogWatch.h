#pragma once

#include "platform/foundation/Log.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace qelvo::test {

// The log lines written since `start` (a test's own lines, not the earlier tests').
class LogWatch {
public:
    void start() { start_ = platform::Log::shared().lineCount(); }

    std::vector<std::string> lines() const {
        std::size_t next = 0;
        return platform::Log::shared().linesFrom(start_, &next);
    }
    bool saw(const std::string& line) const { return count(line) > 0; }
    std::size_t count(const std::string& line) const {
        const auto all = lines();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), line));
    }

private:
    std::size_t start_ = 0;
};

}  // namespace qelvo::test
