#pragma once

#include "platform/net/HttpTypes.h"
#include "platform/net/URLConnection.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The transport through which a screen posts one form body at a time to the
// service and gets the reply body back. Create it with std::make_shared and use it
// on the main thread; while a request is in flight its connection keeps it alive.
class RequestHelp : public platform::URLConnectionDelegate, public std::enable_shared_from_this<RequestHelp> {
public:
    // The body stays valid until this transport starts its next request.
    using CompleteBlock = std::function<void(const std::string& body)>;
    using ErrorBlock = std::function<void(const platform::HttpError& error)>;

    static constexpr double kTimeoutInterval = 20.0;
    static constexpr int kCachePolicyReloadIgnoringLocalCacheData = 1;

    RequestHelp() = default;

    // Posts `postData` to `url`, unless a request is running: then the new request
    // is dropped and neither of its callbacks is ever called.
    void requestWithUrl(const std::string& url, const std::string& postData, CompleteBlock completeBlock,
                        ErrorBlock errorBlock);

    bool running() const { return _running; }
    void setRunning(bool running) { _running = running; }
    // The connection of the request in flight, or of the last one.
    const std::shared_ptr<platform::URLConnection>& connection() const { return _conn; }

    // Connection callbacks (main run loop).
    void didReceiveResponse(platform::URLConnection& connection,
                            const platform::HttpResponse& response) override;
    void didReceiveData(platform::URLConnection& connection, std::string_view data) override;
    void connectionDidFinishLoading(platform::URLConnection& connection) override;
    void didFailWithError(platform::URLConnection& connection, const platform::HttpError& error) override;

private:
    bool isCurrent(const platform::URLConnection& connection) const;

    std::string data_;
    std::shared_ptr<platform::URLConnection> _conn;
    CompleteBlock completeBlock_;
    ErrorBlock errorBlock_;
    bool _running = false;
};
