#pragma once

#include "Library/HTTPRequest/HTTPRequestDelegate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reads the response headers a download depends on. Every function is a pure function of the
// text it is given, so headers from any server are read the same way on any thread.
class HTTPResponseHeaders {
public:
    // "bytes FIRST-LAST/TOTAL", "bytes FIRST-LAST/*" or "bytes */TOTAL": each part absent when the
    // value does not give it.
    struct ContentRange {
        std::optional<std::uint64_t> first;
        std::optional<std::uint64_t> last;
        std::optional<std::uint64_t> total;
    };

    HTTPResponseHeaders() = delete;

    // A decimal number of bytes without sign or spaces; nothing for anything else.
    static std::optional<std::uint64_t> parseByteCount(std::string_view text);
    // Nothing when the value is not a byte range of one of the forms above.
    static std::optional<ContentRange> parseContentRange(std::string_view value);
    // The value of a header, its name compared without regard to case.
    static std::optional<std::string> find(const HTTPHeaders& headers, std::string_view name);
    // The validator "If-Range" can compare: a strong entity tag, else "Last-Modified". A weak tag
    // never matches in "If-Range", so it only serves when nothing else is offered: the download
    // then starts again rather than risk joining different contents.
    static std::optional<std::string> validator(const HTTPHeaders& headers);
    // The statuses whose "Location" the request follows.
    static bool isRedirectStatus(int status);
};
