#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Addresses as the web view reads them: an address is taken exactly as written,
// nothing is escaped for the caller, so one holding a character that URLs do not
// allow (a space, a quote, non-ASCII text) is no address at all. Addresses with an
// authority ("scheme://host/...") are read and resolved by libcurl's URL parser, as
// the HTTP layer that loads them reads them.
class WebAddress {
public:
    // Only URL characters, every "%" followed by two hex digits, and a well-formed
    // scheme when there is one. The empty text is no address.
    static bool isValid(std::string_view address);
    // The scheme in lower case ("http"), or nothing for a relative reference.
    static std::optional<std::string> scheme(std::string_view address);
    // http and https are the only schemes the view loads itself, written with "://"
    // and a host the URL parser can read.
    static bool isLoadable(std::string_view address);
    // The reference made absolute against `base`, as a browser resolves a link on a
    // page: dot segments removed, an empty path written "/". A reference with a scheme
    // of its own stays as written unless it has an authority ("video:http://..." does
    // not); so does any reference when the base is empty or no URL with an authority.
    static std::string resolve(std::string_view base, std::string_view reference);
};

}  // namespace platform
