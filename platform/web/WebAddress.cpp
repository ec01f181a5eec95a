#include "platform/web/WebAddress.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

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
    return name && (*name == "http" || *name == "https") && address.size() > name->size() + 3 &&
           address.substr(name->size(), 3) == "://";
}

WebAddress::Parts WebAddress::split(std::string_view address) {
    Parts parts;
    if (std::size_t hash = address.find('#'); hash != std::string_view::npos) {
        parts.fragment = std::string(address.substr(hash + 1));
        address = address.substr(0, hash);
    }
    if (std::size_t question = address.find('?'); question != std::string_view::npos) {
        parts.query = std::string(address.substr(question + 1));
        address = address.substr(0, question);
    }
    if (std::size_t length = schemeLength(address);
        length != 0 && isSchemeText(address.substr(0, length - 1))) {
        parts.scheme = lowered(address.substr(0, length - 1));
        address = address.substr(length);
    }
    if (address.substr(0, 2) == "//") {
        address = address.substr(2);
        std::size_t slash = address.find('/');
        parts.authority = std::string(address.substr(0, slash));
        address = slash == std::string_view::npos ? std::string_view{} : address.substr(slash);
    }
    parts.path = std::string(address);
    return parts;
}

std::string WebAddress::join(const Parts& parts) {
    std::string result;
    if (parts.scheme) {
        result.append(*parts.scheme).push_back(':');
    }
    if (parts.authority) {
        result.append("//").append(*parts.authority);
    }
    result.append(parts.path);
    if (parts.query) {
        result.append(1, '?').append(*parts.query);
    }
    if (parts.fragment) {
        result.append(1, '#').append(*parts.fragment);
    }
    return result;
}

std::string WebAddress::removeDotSegments(std::string_view path) {
    std::vector<std::string_view> output;
    bool absolute = !path.empty() && path.front() == '/';
    std::string_view rest = absolute ? path.substr(1) : path;
    bool trailingSlash = false;
    while (true) {
        std::size_t slash = rest.find('/');
        std::string_view segment = rest.substr(0, slash);
        bool last = slash == std::string_view::npos;
        if (segment == ".") {
            trailingSlash = last;
        } else if (segment == "..") {
            if (!output.empty()) {
                output.pop_back();
            }
            trailingSlash = last;
        } else {
            output.push_back(segment);
            trailingSlash = false;
        }
        if (last) {
            break;
        }
        rest = rest.substr(slash + 1);
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < output.size(); ++i) {
        result.append(output[i]);
        if (i + 1 < output.size()) {
            result.push_back('/');
        }
    }
    if (trailingSlash && (result.empty() || result.back() != '/')) {
        result.push_back('/');
    }
    return result;
}

std::string WebAddress::merge(const Parts& base, std::string_view path) {
    std::string_view directory;
    if (base.authority && base.path.empty()) {
        directory = "/";
    } else if (std::size_t slash = base.path.rfind('/'); slash != std::string::npos) {
        directory = std::string_view(base.path).substr(0, slash + 1);
    }
    std::string merged;
    merged.reserve(directory.size() + path.size());
    merged.append(directory).append(path);
    return merged;
}

std::string WebAddress::resolve(std::string_view base, std::string_view reference) {
    Parts ref = split(reference);
    if (base.empty() || ref.scheme) {
        if (ref.scheme && (ref.authority || (!ref.path.empty() && ref.path.front() == '/'))) {
            ref.path = removeDotSegments(ref.path);
        }
        return join(ref);
    }
    Parts from = split(base);
    Parts target;
    target.scheme = from.scheme;
    target.fragment = ref.fragment;
    if (ref.authority) {
        target.authority = ref.authority;
        target.path = removeDotSegments(ref.path);
        target.query = ref.query;
        return join(target);
    }
    target.authority = from.authority;
    if (ref.path.empty()) {
        target.path = from.path;
        target.query = ref.query ? ref.query : from.query;
    } else {
        target.path = removeDotSegments(ref.path.front() == '/' ? ref.path : merge(from, ref.path));
        target.query = ref.query;
    }
    return join(target);
}

}  // namespace platform
