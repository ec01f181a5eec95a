#include "Library/HTTPRequest/HTTPResponseHeaders.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::optional<std::uint64_t> HTTPResponseHeaders::parseByteCount(std::string_view text) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<HTTPResponseHeaders::ContentRange> HTTPResponseHeaders::parseContentRange(
    std::string_view value) {
    constexpr std::string_view kUnit = "bytes ";
    if (value.size() < kUnit.size() || !equalsIgnoringCase(value.substr(0, kUnit.size()), kUnit)) {
        return std::nullopt;
    }
    value.remove_prefix(kUnit.size());
    const auto slash = value.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view span = value.substr(0, slash);
    const std::string_view total = value.substr(slash + 1);
    ContentRange range;
    if (total != "*") {
        range.total = parseByteCount(total);
        if (!range.total) {
            return std::nullopt;
        }
    }
    if (span == "*") {
        return range.total ? std::optional<ContentRange>(range) : std::nullopt;
    }
    const auto dash = span.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    range.first = parseByteCount(span.substr(0, dash));
    range.last = parseByteCount(span.substr(dash + 1));
    if (!range.first || !range.last || *range.last < *range.first || (range.total && *range.last >= *range.total)) {
        return std::nullopt;
    }
    return range;
}

std::optional<std::string> HTTPResponseHeaders::find(const HTTPHeaders& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> HTTPResponseHeaders::validator(const HTTPHeaders& headers) {
    auto etag = find(headers, "ETag");
    if (etag && !etag->starts_with("W/")) {
        return etag;
    }
    if (auto modified = find(headers, "Last-Modified")) {
        return modified;
    }
    return etag;
}

bool HTTPResponseHeaders::isRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}
