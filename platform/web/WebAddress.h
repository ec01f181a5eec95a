#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Addresses as the web view reads them: an address is taken exactly as written,
// nothing is escaped for the caller, so one holding a character that URLs do not
// allow (a space, a quote, non-ASCII text) is no address at all.
class WebAddress {
public:
    // Only URL characters, every "%" followed by two hex digits, and a well-formed
    // scheme when there is one. The empty text is no address.
    static bool isValid(std::string_view address);
    // The scheme in lower case ("http"), or nothing for a relative reference.
    static std::optional<std::string> scheme(std::string_view address);
    // http and https are the only schemes the view loads itself.
    static bool isLoadable(std::string_view address);
    // The reference made absolute against `base` (RFC 3986 section 5.2); an absolute
    // reference or an empty base gives the reference unchanged apart from dot segments.
    static std::string resolve(std::string_view base, std::string_view reference);

private:
    struct Parts {
        std::optional<std::string> scheme;
        std::optional<std::string> authority;
        std::string path;
        std::optional<std::string> query;
        std::optional<std::string> fragment;
    };
    static Parts split(std::string_view address);
    static std::string join(const Parts& parts);
    static std::string removeDotSegments(std::string_view path);
    static std::string merge(const Parts& base, std::string_view path);
};

}  // namespace platform
