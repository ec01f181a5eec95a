#pragma once

#include "platform/net/HttpTypes.h"

namespace platform {

// Turns libcurl's result of a transfer into the platform's URL loading error.
class CurlError {
public:
    // `code` is a CURLcode; `osErrno` the system error of the last connect attempt
    // (CURLINFO_OS_ERRNO), which tells "offline" apart from "refused".
    static HttpError toHttpError(int code, long osErrno);
};

}  // namespace platform
