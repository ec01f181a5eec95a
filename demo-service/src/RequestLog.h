#pragma once

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qelvo::demo {

// Every request the service received (except the control calls), so that tests can
// see exactly what a client sent: method, address, headers and body.
class RequestLog {
public:
    static constexpr std::size_t kMaxEntries = 5000;

    struct Entry {
        std::uint64_t index = 0;
        std::string time;
        std::string method;
        std::string target;  // as sent: path and query
        std::string path;
        std::string query;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;
        std::string remoteAddr;
        std::string fault;  // the fault injected into this request ("faults=P"), if any
    };

    // Records a request; returns its index.
    std::uint64_t record(const httplib::Request& request);
    // Notes on entry `index` the fault its request met (nothing if the entry is gone).
    void noteFault(std::uint64_t index, std::string_view fault);

    // {"requests": [...], "next": N}: the entries numbered `from` and later, and the number to ask from next.
    nlohmann::json fromIndex(std::uint64_t from) const;
    std::vector<Entry> entries() const;
    void clear();

    static nlohmann::json toJson(const Entry& entry);

private:
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
    std::uint64_t next_ = 0;
};

}  // namespace qelvo::demo
