#include "Library/HTTPRequest/HTTPRequest.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cctype>
#include <utility>

std::shared_ptr<HTTPRequest> HTTPRequest::initWithURL(const std::string& url) {
    return std::make_shared<HTTPRequest>(url);
}

HTTPRequest::HTTPRequest(std::string url) : url_(std::move(url)) {}

HTTPRequest::~HTTPRequest() = default;

const std::string& HTTPRequest::url() const {
    return url_;
}

void HTTPRequest::setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void HTTPRequest::setDownloadProgressDelegate(std::weak_ptr<HTTPRequestProgressDelegate> delegate) {
    progressDelegate_ = std::move(delegate);
}

void HTTPRequest::setDownloadDestinationPath(std::string path) {
    destinationPath_ = std::move(path);
}

const std::string& HTTPRequest::downloadDestinationPath() const {
    return destinationPath_;
}

void HTTPRequest::setTemporaryFileDownloadPath(std::string path) {
    temporaryPath_ = std::move(path);
}

const std::string& HTTPRequest::temporaryFileDownloadPath() const {
    return temporaryPath_;
}

void HTTPRequest::setNumberOfTimesToRetryOnTimeout(int times) {
    retriesOnTimeout_ = times;
}

int HTTPRequest::numberOfTimesToRetryOnTimeout() const {
    return retriesOnTimeout_;
}

void HTTPRequest::setAllowResumeForFileDownloads(bool allow) {
    allowResume_ = allow;
}

bool HTTPRequest::allowResumeForFileDownloads() const {
    return allowResume_;
}

void HTTPRequest::setUserInfo(HTTPRequestUserInfo userInfo) {
    userInfo_ = std::move(userInfo);
}

const HTTPRequestUserInfo& HTTPRequest::userInfo() const {
    return userInfo_;
}

void HTTPRequest::setTimeOutSeconds(double seconds) {
    timeOutSeconds_ = seconds;
}

double HTTPRequest::timeOutSeconds() const {
    return timeOutSeconds_;
}

void HTTPRequest::addRequestHeader(std::string name, std::string value) {
    extraHeaders_[std::move(name)] = std::move(value);
}

void HTTPRequest::startAsynchronous() {
    // The transfer itself is not written yet: the request fails as one that cannot connect.
    executing_ = true;
    platform::RunLoop::main().post([self = shared_from_this()] {
        self->error_ = HTTPRequestError{"HTTPRequestErrorDomain", 6, "Unable to start HTTP connection"};
        self->executing_ = false;
        if (auto delegate = self->delegate()) {
            delegate->requestFailed(*self);
        }
    });
}

bool HTTPRequest::isExecuting() const {
    return executing_;
}

void HTTPRequest::clearDelegatesAndCancel() {
    delegate_.reset();
    progressDelegate_.reset();
}

const HTTPHeaders& HTTPRequest::responseHeaders() const {
    return responseHeaders_;
}

std::optional<std::string> HTTPRequest::responseHeader(std::string_view name) const {
    for (const auto& [key, value] : responseHeaders_) {
        if (std::equal(key.begin(), key.end(), name.begin(), name.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return value;
        }
    }
    return std::nullopt;
}

int HTTPRequest::responseStatusCode() const {
    return statusCode_;
}

const std::optional<HTTPRequestError>& HTTPRequest::error() const {
    return error_;
}

std::shared_ptr<HTTPRequestDelegate> HTTPRequest::delegate() const {
    return delegate_.lock();
}

std::shared_ptr<HTTPRequestProgressDelegate> HTTPRequest::downloadProgressDelegate() const {
    return progressDelegate_.lock();
}

void HTTPRequest::setResponse(int statusCode, HTTPHeaders headers) {
    statusCode_ = statusCode;
    responseHeaders_ = std::move(headers);
}

void HTTPRequest::setError(std::optional<HTTPRequestError> error) {
    error_ = std::move(error);
}

void HTTPRequest::setExecuting(bool executing) {
    executing_ = executing;
}
