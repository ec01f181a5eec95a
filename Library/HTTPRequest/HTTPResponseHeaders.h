#pragma once

#include "Library/HTTPRequest/HTTPRequestDelegate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What a download reads in the headers of a response, each header as the server
// wrote it: byte counts, the range a partial answer covers, and the validator that
// lets a later request resume the same file.
class HTTPResponseHeaders {
public:
    // A header's value by name, ignoring case; nothing when the response has none.
    static std::optional<std::string> headerValue(const HTTPHeaders& headers, std::string_view name);
    // The validator "If-Range" can compare: a strong ETag, else Last-Modified. A weak ETag
    // never matches in "If-Range", so it only serves when nothing else is offered: the
    // download then starts again rather than risk joining different contents.
    static std::optional<std::string> validatorOf(const HTTPHeaders& headers);
    // A whole decimal number and nothing else; nothing when it does not fit 64 bits.
    static std::optional<std::uint64_t> parseNumber(std::string_view text);
    // "bytes S-E/T" (or "bytes */T"): S, or nothing when the text is not of that form or
    // names no start.
    static std::optional<std::uint64_t> contentRangeStart(std::string_view value);
    // The T of "bytes */T".
    static std::optional<std::uint64_t> unsatisfiedRangeTotal(std::string_view value);
};
