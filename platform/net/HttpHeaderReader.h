#pragma once

#include "platform/net/HttpTypes.h"

#include <string_view>

namespace platform {

// Reads a response's head as libcurl hands it over, one line at a time: a status line
// opens a block, header lines fill it (an obsolete folded line continues the value
// before it) and an empty line ends it. Lines outside a block (trailers after a
// chunked body) are ignored.
class HttpHeaderReader {
public:
    // Takes one line, its line end included. True when the line ended a block: the
    // block's status and headers are then in response().
    bool readLine(std::string_view line);
    // The response of the block being read, or of the one just ended. The status is
    // the status line's three-digit code, 0 when it has none.
    HttpResponse& response() { return response_; }

private:
    HttpResponse response_;
    bool inBlock_ = false;
};

}  // namespace platform
