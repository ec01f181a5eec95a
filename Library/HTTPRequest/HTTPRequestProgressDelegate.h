#pragma once

#include <cstdint>

class HTTPRequest;

class HTTPRequestProgressDelegate {
public:
    virtual ~HTTPRequestProgressDelegate() = default;
    // The first report after each (re)start carries the running total of the file (partial
    // size included), later ones the bytes since the previous report; 1 when the response
    // has no Content-Length.
    virtual void didReceiveBytes(HTTPRequest& /*request*/, std::int64_t /*bytes*/) {}
};
