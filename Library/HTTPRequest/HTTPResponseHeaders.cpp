#include "Library/HTTPRequest/HTTPResponseHeaders.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>

std::optional<std::string> HTTPResponseHeaders::headerValue(const HTTPHeaders& headers,
                                                            std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> HTTPResponseHeaders::validatorOf(const HTTPHeaders& headers) {
    auto etag = headerValue(headers, "ETag");
    if (etag && !etag->starts_with("W/")) {
        return etag;
    }
    if (auto modified = headerValue(headers, "Last-Modified")) {
        return modified;
    }
    return etag;
}

std::optional<std::uint64_t> HTTPResponseHeaders::parseNumber(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint64_t> HTTPResponseHeaders::contentRangeStart(std::string_view value) {
    if (value.substr(0, 6) != "bytes ") {
        return std::nullopt;
    }
    value.remove_prefix(6);
    const auto dash = value.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    return parseNumber(value.substr(0, dash));
}

std::optional<std::uint64_t> HTTPResponseHeaders::unsatisfiedRangeTotal(std::string_view value) {
    if (value.substr(0, 8) != "bytes */") {
        return std::nullopt;
    }
    return parseNumber(value.substr(8));
}
