#pragma once

#include <map>
#include <string>

class HTTPRequest;

// Response header name as received -> value.
using HTTPHeaders = std::map<std::string, std::string>;

// Every callback runs on the main thread, in the order started, headers, finished or failed.
class HTTPRequestDelegate {
public:
    virtual ~HTTPRequestDelegate() = default;
    // Each time the request starts sending, restarts after a time-out included.
    virtual void requestStarted(HTTPRequest& /*request*/) {}
    // Each time a response's headers are complete, those of a redirect included.
    virtual void didReceiveResponseHeaders(HTTPRequest& /*request*/, const HTTPHeaders& /*headers*/) {}
    // The body is complete and the file is in place, whatever the HTTP status.
    virtual void requestFinished(HTTPRequest& /*request*/) {}
    virtual void requestFailed(HTTPRequest& /*request*/) {}
};
