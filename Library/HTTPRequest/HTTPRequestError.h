#pragma once

#include <string>

// Why an HTTPRequest failed. The numbers are the ones stored and logged ("code" of the error).
enum class HTTPRequestErrorCode : int {
    ConnectionFailure = 1,
    TimedOut = 2,
    AuthenticationNeeded = 3,
    Cancelled = 4,
    BadURL = 5,
    CannotOpenConnection = 6,
    FileHandling = 8,
    TooManyRedirects = 9,
};

// A failure of an HTTPRequest.
struct HTTPRequestError {
    std::string domain = "HTTPRequestErrorDomain";
    HTTPRequestErrorCode code = HTTPRequestErrorCode::ConnectionFailure;
    std::string description;
    // A file-handling failure because the disk had no space left for the bytes.
    bool diskFull = false;

    // The code as it is stored and logged.
    int number() const { return static_cast<int>(code); }
};
