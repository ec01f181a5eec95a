#include "platform/net/URLConnection.h"

#include <utility>

namespace platform {

namespace {

// Hands the session's events to the connection while it exists; holds it weakly
// so that a connection nobody keeps any more simply stops hearing from the network.
class ConnectionTaskDelegate final : public HttpTaskDelegate {
public:
    explicit ConnectionTaskDelegate(std::weak_ptr<URLConnection> connection)
        : connection_(std::move(connection)) {}

    void didReceiveResponse(const HttpResponse& response) override {
        if (auto connection = connection_.lock()) {
            connection->deliverResponse(response);
        }
    }
    void didReceiveData(std::string_view chunk) override {
        if (auto connection = connection_.lock()) {
            connection->deliverData(chunk);
        }
    }
    void didFinish() override {
        if (auto connection = connection_.lock()) {
            connection->deliverFinish();
        }
    }
    void didFail(const HttpError& error) override {
        if (auto connection = connection_.lock()) {
            connection->deliverFailure(error);
        }
    }

private:
    std::weak_ptr<URLConnection> connection_;
};

}  // namespace

std::shared_ptr<URLConnection> URLConnection::connectionWithRequest(
    const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate) {
    std::shared_ptr<URLConnection> connection(new URLConnection(request, std::move(delegate)));
    connection->start();
    return connection;
}

URLConnection::URLConnection(URLRequest request, std::shared_ptr<URLConnectionDelegate> delegate)
    : request_(std::move(request)), delegate_(std::move(delegate)) {}

URLConnection::~URLConnection() {
    timeout_.cancel();
    if (task_ != 0) {
        HttpSession::shared().cancel(task_);
    }
}

void URLConnection::start() {
    loading_ = true;
    selfWhileLoading_ = shared_from_this();
    HttpRequest http;
    http.url = request_.url;
    http.method = request_.method;
    http.body = request_.body;
    http.headers = request_.headers;
    task_ = HttpSession::shared().start(
        std::move(http), std::make_shared<ConnectionTaskDelegate>(weak_from_this()), &RunLoop::main());
    restartTimeout();
}

void URLConnection::cancel() {
    if (!loading_) {
        return;
    }
    // The delegate may be the caller; it goes away only after this returns.
    std::shared_ptr<URLConnectionDelegate> delegate = delegate_;
    std::shared_ptr<URLConnection> self = shared_from_this();
    finish();
}

void URLConnection::restartTimeout() {
    timeout_.cancel();
    if (request_.timeoutInterval <= 0) {
        return;
    }
    std::weak_ptr<URLConnection> weak = weak_from_this();
    timeout_ = RunLoop::main().schedule(request_.timeoutInterval, [weak] {
        if (auto connection = weak.lock()) {
            connection->deliverFailure(HttpError::make(HttpError::TimedOut));
        }
    });
}

void URLConnection::deliverResponse(const HttpResponse& response) {
    deliver(false, [&](URLConnectionDelegate& delegate) { delegate.didReceiveResponse(*this, response); });
}

void URLConnection::deliverData(std::string_view data) {
    deliver(false, [&](URLConnectionDelegate& delegate) { delegate.didReceiveData(*this, data); });
}

void URLConnection::deliverFinish() {
    deliver(true, [&](URLConnectionDelegate& delegate) { delegate.connectionDidFinishLoading(*this); });
}

void URLConnection::deliverFailure(const HttpError& error) {
    deliver(true, [&](URLConnectionDelegate& delegate) { delegate.didFailWithError(*this, error); });
}

void URLConnection::deliver(bool endsLoad, const std::function<void(URLConnectionDelegate&)>& call) {
    if (!loading_) {
        return;
    }
    // The delegate and this connection stay alive through the call even when the
    // load ends here or the delegate lets go of the connection.
    std::shared_ptr<URLConnectionDelegate> delegate = delegate_;
    std::shared_ptr<URLConnection> self = shared_from_this();
    if (endsLoad) {
        finish();
    } else {
        restartTimeout();
    }
    if (delegate) {
        call(*delegate);
    }
}

void URLConnection::finish() {
    loading_ = false;
    timeout_.cancel();
    timeout_ = Timer();
    if (task_ != 0) {
        // Nothing more of this load may arrive (it may already have ended).
        HttpSession::shared().cancel(task_);
        task_ = 0;
    }
    delegate_.reset();
    selfWhileLoading_.reset();
}

}  // namespace platform
