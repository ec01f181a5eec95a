#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpSession.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {

class URLConnection;

class URLConnectionDelegate {
public:
    virtual ~URLConnectionDelegate() = default;
    // Called again when a second response begins within the same load.
    virtual void didReceiveResponse(URLConnection& connection, const HttpResponse& response) = 0;
    virtual void didReceiveData(URLConnection& connection, std::string_view data) = 0;
    virtual void connectionDidFinishLoading(URLConnection& connection) = 0;
    virtual void didFailWithError(URLConnection& connection, const HttpError& error) = 0;
};

struct URLRequest {
    std::string url;
    std::string method = "GET";
    std::string body;
    HttpHeaders headers;
    // Seconds without any sign of life (response or data) before the load fails
    // with a time-out; measured on the main run loop's clock.
    double timeoutInterval = 60.0;
    // The transport always reloads; the value is kept for callers that set it.
    int cachePolicy = 0;
};

// One load of a URL request, started at once; its callbacks run on the main run
// loop. The connection keeps its delegate until the load finishes, fails or is
// cancelled, and keeps itself alive while loading.
class URLConnection : public std::enable_shared_from_this<URLConnection> {
public:
    static std::shared_ptr<URLConnection> connectionWithRequest(
        const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate);

    ~URLConnection();
    // No callback arrives after cancel().
    void cancel();
    const URLRequest& originalRequest() const { return request_; }
    bool isLoading() const { return loading_; }

    // Delivery entry points (used by the session adapter and by tests that need
    // to play a load's events, such as a second response within one load).
    void deliverResponse(const HttpResponse& response);
    void deliverData(std::string_view data);
    void deliverFinish();
    void deliverFailure(const HttpError& error);

private:
    URLConnection(URLRequest request, std::shared_ptr<URLConnectionDelegate> delegate);
    void start();
    void restartTimeout();
    void finish();
    // Hands one event to the delegate; an event that ends the load finishes it first.
    void deliver(bool endsLoad, const std::function<void(URLConnectionDelegate&)>& call);

    URLRequest request_;
    std::shared_ptr<URLConnectionDelegate> delegate_;
    std::shared_ptr<URLConnection> selfWhileLoading_;
    HttpTaskId task_ = 0;
    Timer timeout_;
    bool loading_ = false;
};

}  // namespace platform
