#include "TransferSwitches.h"

#include <charconv>

namespace qelvo::demo {

namespace {

std::optional<std::uint64_t> number(const std::string& text) {
    std::uint64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || rest != end) return std::nullopt;
    return value;
}

std::optional<bool> flag(const std::string& text) {
    if (text.empty() || text == "1" || text == "true" || text == "yes") return true;
    if (text == "0" || text == "false" || text == "no") return false;
    return std::nullopt;
}

class SwitchReader {
public:
    SwitchReader(const httplib::Request& request, std::string& error) : request_(request), error_(error) {}

    bool has(const char* key) const { return request_.has_param(key); }

    // Reads a whole number in [low, high]; false (and an error) when malformed.
    bool read(const char* key, std::uint64_t low, std::uint64_t high, std::uint64_t& out) {
        if (!has(key)) return true;
        const auto value = number(request_.get_param_value(key));
        if (!value || *value < low || *value > high) {
            error_ = std::string("bad value for \"") + key + "\": " + request_.get_param_value(key);
            return false;
        }
        out = *value;
        return true;
    }

    bool read(const char* key, bool& out) {
        if (!has(key)) return true;
        const auto value = flag(request_.get_param_value(key));
        if (!value) {
            error_ = std::string("bad value for \"") + key + "\": " + request_.get_param_value(key);
            return false;
        }
        out = *value;
        return true;
    }

private:
    const httplib::Request& request_;
    std::string& error_;
};

constexpr std::uint64_t kMaxBytes = 1ULL << 40;
constexpr std::uint64_t kMaxMillis = 600000;

}  // namespace

std::optional<TransferSwitches> TransferSwitches::fromRequest(const httplib::Request& request,
                                                              std::string& error) {
    TransferSwitches switches;
    SwitchReader reader(request, error);
    std::uint64_t value = 0;

    if (reader.has("status")) {
        if (!reader.read("status", 100, 599, value)) return std::nullopt;
        switches.status = static_cast<int>(value);
    }
    if (!reader.read("rate", 1, kMaxBytes, switches.rate)) return std::nullopt;
    if (reader.has("stallAfter")) {
        if (!reader.read("stallAfter", 0, kMaxBytes, value)) return std::nullopt;
        switches.stallAfter = value;
    }
    if (reader.has("stallMs")) {
        if (!reader.read("stallMs", 0, kMaxMillis, value)) return std::nullopt;
        switches.stallFor = std::chrono::milliseconds(value);
    }
    if (reader.has("dropAfter")) {
        if (!reader.read("dropAfter", 0, kMaxBytes, value)) return std::nullopt;
        switches.dropAfter = value;
    }
    if (!reader.read("ignoreRange", switches.ignoreRange) ||
        !reader.read("earlyStart", 0, kMaxBytes, switches.earlyStart) ||
        !reader.read("lateStart", 0, kMaxBytes, switches.lateStart))
        return std::nullopt;
    if (request.has_param("noLength")) {
        const auto mode = request.get_param_value("noLength");
        if (mode == "close")
            switches.length = Length::CloseDelimited;
        else if (mode == "chunked" || flag(mode).value_or(false))
            switches.length = Length::Chunked;
        else if (!flag(mode).has_value()) {
            error = "bad value for \"noLength\": " + mode;
            return std::nullopt;
        }
    }
    if (!reader.read("gzip", switches.gzip) || !reader.read("redirectLoop", switches.redirectLoop))
        return std::nullopt;
    if (!reader.read("redirects", 0, 100, value)) return std::nullopt;
    switches.redirects = reader.has("redirects") ? static_cast<int>(value) : 0;
    if (reader.has("redirectStatus")) {
        if (!reader.read("redirectStatus", 301, 308, value) || value == 304 || value == 305 || value == 306) {
            error = "bad value for \"redirectStatus\": " + request.get_param_value("redirectStatus");
            return std::nullopt;
        }
        switches.redirectStatus = static_cast<int>(value);
    }
    if (reader.has("version")) {
        if (!reader.read("version", 0, 1000000, value)) return std::nullopt;
        switches.version = static_cast<int>(value);
    }
    if (!reader.read("delay", 0, kMaxMillis, value)) return std::nullopt;
    switches.delay = std::chrono::milliseconds(reader.has("delay") ? value : 0);
    if (reader.has("times")) {
        if (!reader.read("times", 1, kMaxBytes, value)) return std::nullopt;
        switches.times = value;
    }
    if (reader.has("from")) {
        if (!reader.read("from", 1, kMaxBytes, value)) return std::nullopt;
        switches.from = value;
    }
    if (reader.has("shortRange")) {
        if (!reader.read("shortRange", 1, kMaxBytes, value)) return std::nullopt;
        switches.shortRange = value;
    }
    if (!reader.read("faults", 0, 100, value)) return std::nullopt;
    switches.faults = reader.has("faults") ? static_cast<unsigned>(value) : 0;
    return switches;
}

bool TransferSwitches::actsOn(std::uint64_t nth) const {
    const std::uint64_t first = from.value_or(1);
    if (nth < first) return false;
    return !times || nth - first < *times;
}

TransferSwitches TransferSwitches::wellBehaved() const {
    TransferSwitches plain;
    plain.version = version;
    return plain;
}

}  // namespace qelvo::demo
