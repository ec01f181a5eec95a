#include "RequestLog.h"

#include "Clock.h"
#include "Utf8.h"

namespace qelvo::demo {

namespace {

// httplib adds the socket's addresses as pseudo headers; they are not what the client sent.
bool isPseudoHeader(const std::string& name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

}  // namespace

std::uint64_t RequestLog::record(const httplib::Request& request) {
    Entry entry;
    entry.time = Clock::isoNow();
    entry.method = request.method;
    entry.target = request.target;
    entry.path = request.path;
    const auto question = request.target.find('?');
    entry.query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    for (const auto& [name, value] : request.headers) {
        if (!isPseudoHeader(name)) entry.headers.emplace_back(name, value);
    }
    entry.body = request.body;
    entry.remoteAddr = request.remote_addr;

    std::lock_guard lock(mutex_);
    entry.index = next_++;
    const auto index = entry.index;
    entries_.push_back(std::move(entry));
    if (entries_.size() > kMaxEntries) entries_.pop_front();
    return index;
}

void RequestLog::noteFault(std::uint64_t index, std::string_view fault) {
    std::lock_guard lock(mutex_);
    // Indices run on without gaps, so the entry's place follows from the first one kept.
    if (entries_.empty() || index < entries_.front().index) return;
    const auto place = index - entries_.front().index;
    if (place < entries_.size()) entries_[place].fault = fault;
}

nlohmann::json RequestLog::fromIndex(std::uint64_t from) const {
    auto list = nlohmann::json::array();
    std::uint64_t next = 0;
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : entries_) {
            if (entry.index >= from) list.push_back(toJson(entry));
        }
        next = next_;
    }
    return {{"requests", std::move(list)}, {"next", next}};
}

std::vector<RequestLog::Entry> RequestLog::entries() const {
    std::lock_guard lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

void RequestLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

nlohmann::json RequestLog::toJson(const Entry& entry) {
    auto headers = nlohmann::json::object();
    for (const auto& [name, value] : entry.headers) {
        const auto key = Utf8::sanitise(name);
        if (headers.contains(key))
            headers[key] = headers[key].get<std::string>() + ", " + Utf8::sanitise(value);
        else
            headers[key] = Utf8::sanitise(value);
    }
    nlohmann::json out = {
        {"index", entry.index},
        {"time", entry.time},
        {"method", entry.method},
        {"target", Utf8::sanitise(entry.target)},
        {"path", Utf8::sanitise(entry.path)},
        {"query", Utf8::sanitise(entry.query)},
        {"headers", std::move(headers)},
        {"body", Utf8::sanitise(entry.body)},
        {"bodyLength", entry.body.size()},
        {"remoteAddr", entry.remoteAddr},
    };
    // A body that is not UTF-8 cannot travel exactly as a JSON string; its bytes follow in hex.
    if (!Utf8::isValid(entry.body)) out["bodyHex"] = Utf8::hex(entry.body);
    if (!entry.fault.empty()) out["fault"] = entry.fault;
    return out;
}

}  // namespace qelvo::demo
