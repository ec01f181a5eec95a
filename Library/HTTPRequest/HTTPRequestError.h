#pragma once

#include <string>

// A failure of an HTTPRequest. Codes: 1 connection failure, 2 timed out, 3 authentication
// needed, 4 cancelled, 5 bad url, 6 cannot open the connection, 8 file handling, 9 too many
// redirects.
struct HTTPRequestError {
    std::string domain = "HTTPRequestErrorDomain";
    int code = 0;
    std::string description;
    // A file-handling failure (code 8) because the disk had no space left for the bytes.
    bool diskFull = false;
};
