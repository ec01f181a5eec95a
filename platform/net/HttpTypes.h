#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class HttpFileSink;

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// Looks a header up by name, ignoring case; nullptr when absent.
const std::string* findHeader(const HttpHeaders& headers, std::string_view name);

struct HttpRequest {
    std::string url;
    std::string method = "GET";
    std::string body;
    HttpHeaders headers;
    // When false, a redirect is reported as an ordinary response (status and
    // "Location") and the load finishes there, so the caller can follow it itself.
    bool followRedirects = true;
    long maxRedirects = 20;
    // When set, the body goes into this file on a writer of its own instead of to the delegate's
    // didReceiveData, and the end is delivered once every byte is in the file.
    std::shared_ptr<HttpFileSink> bodyFile;
};

struct HttpResponse {
    int status = 0;
    HttpHeaders headers;
    std::string url;  // the address this response came from (after redirects)

    const std::string* header(std::string_view name) const { return findHeader(headers, name); }
    // "Content-Length", or -1 when the response did not say.
    long long expectedContentLength() const;
};

// Error codes and texts follow the platform's URL loading errors.
struct HttpError {
    enum Code : int {
        Unknown = -1,
        Cancelled = -999,
        BadURL = -1000,
        TimedOut = -1001,
        UnsupportedURL = -1002,
        CannotFindHost = -1003,
        CannotConnectToHost = -1004,
        NetworkConnectionLost = -1005,
        HTTPTooManyRedirects = -1007,
        NotConnectedToInternet = -1009,
        CannotDecodeContentData = -1016,
        SecureConnectionFailed = -1200,
    };
    int code = Unknown;
    std::string description;

    // The error with the platform's text for `code`; an unknown code gives Unknown.
    static HttpError make(int code);
};

}  // namespace platform
