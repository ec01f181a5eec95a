#pragma once

#include <map>
#include <string>

namespace platform {

// One HTTP request as the device server's routes see it.
struct DeviceServerRequest {
    std::string method;                        // "GET", "POST", ...
    std::string path;                          // decoded, without the query
    std::map<std::string, std::string> query;  // the first value of each parameter
    std::string body;
    // Header names in lower case; the first value of each.
    std::map<std::string, std::string> headers = {};
};

}  // namespace platform
