#include "platform/net/HttpTypes.h"

#include <strings.h>
#include <cerrno>
#include <cstdlib>

namespace platform {

const std::string* findHeader(const HttpHeaders& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && strncasecmp(key.data(), name.data(), name.size()) == 0) {
            return &value;
        }
    }
    return nullptr;
}

long long HttpResponse::expectedContentLength() const {
    const std::string* text = header("Content-Length");
    if (text == nullptr || text->empty()) {
        return -1;
    }
    errno = 0;
    char* end = nullptr;
    long long length = std::strtoll(text->c_str(), &end, 10);
    // A value with trailing garbage or a negative length says nothing usable.
    while (end != nullptr && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    if (errno != 0 || end == text->c_str() || (end != nullptr && *end != '\0') || length < 0) {
        return -1;
    }
    return length;
}

HttpError HttpError::make(int code) {
    HttpError error;
    error.code = code;
    switch (code) {
        case Cancelled: error.description = "cancelled"; break;
        case BadURL: error.description = "bad URL"; break;
        case TimedOut: error.description = "The request timed out."; break;
        case UnsupportedURL: error.description = "unsupported URL"; break;
        case CannotFindHost:
            error.description = "A server with the specified hostname could not be found.";
            break;
        case CannotConnectToHost: error.description = "Could not connect to the server."; break;
        case NetworkConnectionLost: error.description = "The network connection was lost."; break;
        case HTTPTooManyRedirects: error.description = "too many HTTP redirects"; break;
        case NotConnectedToInternet:
            error.description = "The Internet connection appears to be offline.";
            break;
        case CannotDecodeContentData: error.description = "cannot decode raw data"; break;
        case SecureConnectionFailed:
            error.description =
                "An SSL error has occurred and a secure connection to the server cannot be made.";
            break;
        default:
            error.code = Unknown;
            error.description = "unknown error";
            break;
    }
    return error;
}

}  // namespace platform
