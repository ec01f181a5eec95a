#include "Library/HTTPRequest/HTTPRequestConnection.h"

#include "Library/HTTPRequest/HTTPRequest.h"

#include <utility>

HTTPRequestConnection::HTTPRequestConnection(std::weak_ptr<HTTPRequest> request, std::uint64_t attempt)
    : request_(std::move(request)), attempt_(attempt) {}

std::shared_ptr<HTTPRequest> HTTPRequestConnection::currentRequest() const {
    std::shared_ptr<HTTPRequest> request = request_.lock();
    if (request && request->attempt_ == attempt_) {
        return request;
    }
    return nullptr;
}

void HTTPRequestConnection::didReceiveResponse(const platform::HttpResponse& response) {
    if (auto request = currentRequest()) {
        request->handleResponse(response);
    }
}

void HTTPRequestConnection::didReceiveData(std::string_view chunk) {
    if (auto request = currentRequest()) {
        request->handleData(chunk);
    }
}

void HTTPRequestConnection::didFinish() {
    if (auto request = currentRequest()) {
        request->handleFinish();
    }
}

void HTTPRequestConnection::didFail(const platform::HttpError& error) {
    if (auto request = currentRequest()) {
        request->handleFailure(error);
    }
}
