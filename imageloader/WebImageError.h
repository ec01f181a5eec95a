#pragma once

#include <string>

// A failed picture load: the URL loading error of the transfer (its code, or the
// HTTP status for statuses of 400 and above), or a picture that could not be decoded.
struct WebImageError {
    static constexpr const char* kURLErrorDomain = "NSURLErrorDomain";
    static constexpr const char* kWebImageErrorDomain = "WebImageErrorDomain";
    static constexpr int kNotConnectedToInternet = -1009;

    std::string domain = kURLErrorDomain;
    int code = 0;
    std::string description;
};
