#include "service/RequestHelp.h"

#include "platform/foundation/Log.h"

#include <utility>

void RequestHelp::requestWithUrl(const std::string& url, const std::string& postData,
                                 CompleteBlock completeBlock, ErrorBlock errorBlock) {
    if (_running) {
        return;
    }
    std::shared_ptr<RequestHelp> self = weak_from_this().lock();
    if (!self) {
        // Without an owner nothing could keep the transport alive until the reply.
        platform::log("RequestHelp must be created with std::make_shared");
        return;
    }
    if (_conn && _conn->isLoading()) {
        // `running` was cleared by hand while a load was still on its way: that load
        // must not pour its body into this request's buffer.
        _conn->cancel();
    }
    data_.clear();
    _running = true;
    completeBlock_ = std::move(completeBlock);
    errorBlock_ = std::move(errorBlock);

    platform::URLRequest request;
    request.url = url;
    request.method = "POST";
    request.body = postData;
    request.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    request.timeoutInterval = kTimeoutInterval;
    request.cachePolicy = kCachePolicyReloadIgnoringLocalCacheData;
    _conn = platform::URLConnection::connectionWithRequest(request, self);
}

bool RequestHelp::isCurrent(const platform::URLConnection& connection) const {
    return _conn.get() == &connection;
}

void RequestHelp::didReceiveResponse(platform::URLConnection& connection,
                                     const platform::HttpResponse& /*response*/) {
    if (!isCurrent(connection)) {
        return;
    }
    // Only the body of the last response of a load is the reply.
    data_.clear();
}

void RequestHelp::didReceiveData(platform::URLConnection& connection, std::string_view data) {
    if (!isCurrent(connection)) {
        return;
    }
    data_.append(data);
}

void RequestHelp::connectionDidFinishLoading(platform::URLConnection& connection) {
    if (!isCurrent(connection)) {
        return;
    }
    // The callbacks are released once they have run, so the screen they keep alive
    // is not held by its own transport afterwards. `running` is cleared first so
    // that the callback may start the next request here.
    CompleteBlock complete = std::move(completeBlock_);
    completeBlock_ = nullptr;
    errorBlock_ = nullptr;
    _running = false;
    if (complete) {
        complete(data_);
    }
}

void RequestHelp::didFailWithError(platform::URLConnection& connection, const platform::HttpError& error) {
    if (!isCurrent(connection)) {
        return;
    }
    ErrorBlock fail = std::move(errorBlock_);
    completeBlock_ = nullptr;
    errorBlock_ = nullptr;
    _running = false;
    if (fail) {
        fail(error);
    }
}
