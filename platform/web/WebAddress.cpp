#include "platform/web/WebAddress.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

namespace platform {
namespace {

bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isUrlCharacter(char c) {
    if (isAlpha(c) || (c >= '0' && c <= '9')) {
        return true;
    }
    static constexpr std::string_view kAllowed = "-._~:/?#[]@!$&'()*+,;=%";
    return kAllowed.find(c) != std::string_view::npos;
}

// The length of the scheme and its ":" at the start of the address, or 0.
std::size_t schemeLength(std::string_view address) {
    std::size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return 0;
    }
    // A "/", "?" or "#" before the colon makes it a relative path holding a colon.
    std::size_t delimiter = address.find_first_of("/?#");
    if (delimiter != std::string_view::npos && delimiter < colon) {
        return 0;
    }
    return colon + 1;
}

bool isSchemeText(std::string_view scheme) {
    if (scheme.empty() || !isAlpha(scheme.front())) {
        return false;
    }
    return std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return isAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// One URL as libcurl reads it.
class CurlAddress {
public:
    CurlAddress() : handle_(curl_url()) {}

    // Reads `address`: a URL of any scheme with an authority, or, once one is read, a
    // reference resolved against it.
    bool set(std::string_view address) {
        return handle_ && curl_url_set(handle_.get(), CURLUPART_URL, std::string(address).c_str(),
                                       CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK;
    }
    // Replaces the fragment; nullptr removes it.
    bool setFragment(const char* fragment) {
        return curl_url_set(handle_.get(), CURLUPART_FRAGMENT, fragment, 0) == CURLUE_OK;
    }
    std::optional<std::string> part(CURLUPart which) const {
        char* text = nullptr;
        if (curl_url_get(handle_.get(), which, &text, 0) != CURLUE_OK || text == nullptr) {
            return std::nullopt;
        }
        std::string result(text);
        curl_free(text);
        return result;
    }
    std::optional<std::string> url() const { return part(CURLUPART_URL); }

private:
    struct Cleanup {
        void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
    };
    std::unique_ptr<CURLU, Cleanup> handle_;
};

}  // namespace

bool WebAddress::isValid(std::string_view address) {
    if (address.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < address.size(); ++i) {
        char c = address[i];
        if (!isUrlCharacter(c)) {
            return false;
        }
        if (c == '%' && (i + 2 >= address.size() || !isHex(address[i + 1]) || !isHex(address[i + 2]))) {
            return false;
        }
    }
    std::size_t length = schemeLength(address);
    return length == 0 || isSchemeText(address.substr(0, length - 1));
}

std::optional<std::string> WebAddress::scheme(std::string_view address) {
    std::size_t length = schemeLength(address);
    if (length == 0 || !isSchemeText(address.substr(0, length - 1))) {
        return std::nullopt;
    }
    return lowered(address.substr(0, length - 1));
}

bool WebAddress::isLoadable(std::string_view address) {
    auto name = scheme(address);
    if (!name || (*name != "http" && *name != "https") || address.substr(name->size(), 3) != "://") {
        return false;
    }
    CurlAddress url;
    return url.set(address) && url.part(CURLUPART_HOST).has_value();
}

std::string WebAddress::resolve(std::string_view base, std::string_view reference) {
    if (scheme(reference)) {
        // Absolute already; only one with an authority has dot segments to remove.
        CurlAddress absolute;
        return absolute.set(reference) ? absolute.url().value_or(std::string(reference))
                                       : std::string(reference);
    }
    CurlAddress target;
    if (base.empty() || !target.set(base)) {
        return std::string(reference);
    }
    // libcurl resolves as redirects need; a reference that only names a fragment, or
    // nothing at all, keeps the base's path and query, as in a page.
    bool resolved = false;
    if (reference.empty()) {
        resolved = target.setFragment(nullptr);
    } else if (reference.front() == '#') {
        resolved = target.setFragment(std::string(reference.substr(1)).c_str());
    } else {
        resolved = target.set(reference);
    }
    std::optional<std::string> url = resolved ? target.url() : std::nullopt;
    return url.value_or(std::string(reference));
}

}  // namespace platform
