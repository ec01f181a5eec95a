#include "Library/HTTPRequest/HTTPRequest.h"

#include "Library/HTTPRequest/GzipFileInflater.h"
#include "Library/HTTPRequest/HTTPRequestConnection.h"
#include "Library/HTTPRequest/HTTPRequestQueue.h"
#include "Library/HTTPRequest/HTTPResponseHeaders.h"
#include "Library/HTTPRequest/HTTPUserAgent.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>
#include <utility>

namespace {

constexpr int kMaxRedirectsInARow = 5;
constexpr double kStatusCheckInterval = 0.25;
constexpr const char* kConnectionFailure = "A connection failure occurred";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool isRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307;
}

// scheme://authority of an absolute http(s) address, or "" when it is not one.
std::string originOf(const std::string& url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos) {
        return {};
    }
    const std::string scheme = url.substr(0, schemeEnd);
    if (!equalsIgnoringCase(scheme, "http") && !equalsIgnoringCase(scheme, "https")) {
        return {};
    }
    const auto hostStart = schemeEnd + 3;
    const auto hostEnd = url.find_first_of("/?#", hostStart);
    std::string origin = url.substr(0, hostEnd);
    return origin.size() > hostStart ? origin : std::string();
}

// The address a "Location" names, seen from the address that answered with it.
std::string resolveLocation(const std::string& base, const std::string& location) {
    if (!originOf(location).empty()) {
        return location;
    }
    const std::string origin = originOf(base);
    if (location.substr(0, 2) == "//") {
        return base.substr(0, base.find("://") + 1) + location;
    }
    if (!location.empty() && location.front() == '/') {
        return origin + location;
    }
    std::string path = base.substr(origin.size());
    path = path.substr(0, path.find_first_of("?#"));
    const auto slash = path.rfind('/');
    path = slash == std::string::npos ? "/" : path.substr(0, slash + 1);
    return origin + path + location;
}

HTTPHeaders toHeaderMap(const platform::HttpHeaders& headers) {
    HTTPHeaders map;
    for (const auto& [name, value] : headers) {
        auto [it, inserted] = map.emplace(name, value);
        if (!inserted) {
            it->second += ", " + value;
        }
    }
    return map;
}

}  // namespace

std::shared_ptr<HTTPRequest> HTTPRequest::initWithURL(const std::string& url) {
    return std::make_shared<HTTPRequest>(url);
}

HTTPRequest::HTTPRequest(std::string url) : url_(std::move(url)) {}

HTTPRequest::~HTTPRequest() {
    statusTimer_.cancel();
}

const std::string& HTTPRequest::url() const {
    return url_;
}

void HTTPRequest::setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate) {
    std::lock_guard guard(lock_);
    delegate_ = std::move(delegate);
}

void HTTPRequest::setDownloadProgressDelegate(std::weak_ptr<HTTPRequestProgressDelegate> delegate) {
    std::lock_guard guard(lock_);
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
    auto same = [&name](const auto& header) { return equalsIgnoringCase(header.first, name); };
    extraHeaders_.erase(std::remove_if(extraHeaders_.begin(), extraHeaders_.end(), same),
                        extraHeaders_.end());
    extraHeaders_.emplace_back(std::move(name), std::move(value));
}

void HTTPRequest::startAsynchronous() {
    // The engine may start requests from a background task: the queue is joined on the main thread.
    if (executing_.exchange(true)) {
        return;
    }
    platform::RunLoop::main().post([self = shared_from_this()] {
        if (!self->started_ && !self->complete_) {
            HTTPRequestQueue::shared().add(self);
        }
    });
}

bool HTTPRequest::isExecuting() const {
    return executing_.load();
}

void HTTPRequest::clearDelegatesAndCancel() {
    {
        std::lock_guard guard(lock_);
        delegate_.reset();
        progressDelegate_.reset();
    }
    std::shared_ptr<HTTPRequest> self = weak_from_this().lock();
    if (!self) {
        return;
    }
    if (platform::RunLoop::main().isLoopThread()) {
        performCancel();
    } else {
        platform::RunLoop::main().post([self] { self->performCancel(); });
    }
}

const HTTPHeaders& HTTPRequest::responseHeaders() const {
    return responseHeaders_;
}

std::optional<std::string> HTTPRequest::responseHeader(std::string_view name) const {
    for (const auto& [key, value] : responseHeaders_) {
        if (equalsIgnoringCase(key, name)) {
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
    std::lock_guard guard(lock_);
    return delegate_.lock();
}

std::shared_ptr<HTTPRequestProgressDelegate> HTTPRequest::downloadProgressDelegate() const {
    std::lock_guard guard(lock_);
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

std::string HTTPRequest::partialPath() const {
    return temporaryPath_.empty() ? destinationPath_ + ".download" : temporaryPath_;
}

void HTTPRequest::beginTransfer() {
    if (started_ || complete_) {
        return;
    }
    started_ = true;
    currentURL_ = url_;
    if (originOf(url_).empty()) {
        fail(5, "Unable to create request (bad url?)");
        return;
    }
    partialSize_ = 0;
    if (allowResume_ && !destinationPath_.empty() && !temporaryPath_.empty() &&
        platform::FileSystem::exists(temporaryPath_)) {
        std::optional<std::uint64_t> size = platform::FileSystem::fileSize(temporaryPath_);
        if (!size) {
            fail(8, fmt::format("Failed to get attributes for file at path '{}'", temporaryPath_));
            return;
        }
        partialSize_ = *size;
    }
    std::weak_ptr<HTTPRequest> weak = weak_from_this();
    statusTimer_ = platform::RunLoop::main().scheduleRepeating(kStatusCheckInterval, [weak] {
        if (auto self = weak.lock()) {
            self->statusCheck();
        }
    });
    startAttempt();
}

void HTTPRequest::startAttempt() {
    ++attempt_;
    bytesRead_ = 0;
    lastReportedTotal_ = 0;
    contentLength_ = 0;
    responseHeaders_.clear();
    statusCode_ = 0;
    headersIn_ = false;
    redirectPending_ = false;
    gzipEncoded_ = false;
    accurateProgress_ = true;
    bodyTarget_ = BodyTarget::Discard;
    writer_.close();
    sentRange_ = partialSize_ > 0;

    platform::HttpRequest request;
    request.url = currentURL_;
    request.followRedirects = false;  // each redirect is reported and counted here
    if (sentRange_) {
        request.headers.emplace_back("Range", fmt::format("bytes={}-", partialSize_));
    }
    for (const auto& [name, value] : extraHeaders_) {
        // A validator only qualifies a range; without one it would mean nothing.
        if (equalsIgnoringCase(name, "If-Range") && !sentRange_) {
            continue;
        }
        request.headers.emplace_back(name, value);
    }
    request.headers.emplace_back("Accept-Encoding", "gzip");
    request.headers.emplace_back("User-Agent", HTTPUserAgent::defaultUserAgent());
    lastActivity_ = platform::RunLoop::main().clock().now();

    std::shared_ptr<HTTPRequest> self = shared_from_this();
    if (auto delegate = this->delegate()) {
        delegate->requestStarted(*this);
    }
    if (complete_) {
        return;  // cancelled while being told
    }
    auto connection = std::make_shared<HTTPRequestConnection>(weak_from_this(), attempt_);
    task_ = platform::HttpSession::shared().start(std::move(request), std::move(connection));
}

void HTTPRequest::stopTransfer() {
    if (task_ != 0) {
        platform::HttpSession::shared().cancel(task_);
        task_ = 0;
    }
    ++attempt_;
    writer_.close();
}

void HTTPRequest::restartAfterInterruption() {
    stopTransfer();
    partialSize_ = 0;
    if (allowResume_ && !destinationPath_.empty()) {
        partialSize_ = platform::FileSystem::fileSize(partialPath()).value_or(0);
    }
    startAttempt();
}

void HTTPRequest::handleResponse(const platform::HttpResponse& response) {
    lastActivity_ = platform::RunLoop::main().clock().now();
    statusCode_ = response.status;
    responseHeaders_ = toHeaderMap(response.headers);
    headersIn_ = true;
    const std::string* location = response.header("Location");
    if (isRedirectStatus(response.status) && location != nullptr && !location->empty()) {
        redirectPending_ = true;
        redirectURL_ = resolveLocation(currentURL_, *location);
        bodyTarget_ = BodyTarget::Discard;
    } else {
        redirectsInARow_ = 0;
        const long long length = response.expectedContentLength();
        accurateProgress_ = length >= 0;
        contentLength_ = length;
        const std::string* encoding = response.header("Content-Encoding");
        gzipEncoded_ = encoding != nullptr && encoding->find("gzip") != std::string::npos;
        if (!prepareBody(response)) {
            return;
        }
    }
    if (auto delegate = this->delegate()) {
        HTTPHeaders copy = responseHeaders_;
        delegate->didReceiveResponseHeaders(*this, copy);
    }
}

bool HTTPRequest::prepareBody(const platform::HttpResponse& response) {
    if (destinationPath_.empty()) {
        bodyTarget_ = BodyTarget::CountOnly;
        return true;
    }
    const std::string* range = response.header("Content-Range");
    std::uint64_t keep = 0;
    if (response.status == 206 && range != nullptr) {
        // Bytes are only ever placed where they belong: a range that starts inside the partial
        // file cuts it there; one that starts past its end cannot be joined to it.
        std::optional<std::uint64_t> start = HTTPResponseHeaders::contentRangeStart(*range);
        if (!start || *start > (sentRange_ ? partialSize_ : 0)) {
            return restartFromFirstByte();
        }
        keep = *start;
    } else if (sentRange_ && response.status == 416) {
        if (range != nullptr && HTTPResponseHeaders::unsatisfiedRangeTotal(*range) == partialSize_) {
            // The partial file already holds the whole file: it only needs moving into place.
            bodyTarget_ = BodyTarget::Discard;
            accurateProgress_ = true;
            contentLength_ = 0;
            return true;
        }
        // The partial file is longer than the file now is: it belongs to another version.
        return restartFromFirstByte();
    }
    // Without a usable "Content-Range" the body is the file from its first byte.
    partialSize_ = keep;
    if (!writer_.open(partialPath(), keep)) {
        failToWrite();
        return false;
    }
    bodyTarget_ = BodyTarget::Write;
    return true;
}

bool HTTPRequest::restartFromFirstByte() {
    // Once is enough: a server that answers a plain request with a later range cannot be helped.
    if (restartedFromFirstByte_ || !sentRange_) {
        fail(1, kConnectionFailure);
        return false;
    }
    restartedFromFirstByte_ = true;
    stopTransfer();
    if (!writer_.open(partialPath(), 0)) {
        failToWrite();
        return false;
    }
    writer_.close();
    partialSize_ = 0;
    startAttempt();
    return false;
}

void HTTPRequest::failToWrite() {
    platform::logf("reason:{}", std::error_code(errno, std::generic_category()).message());
    fail(8, fmt::format("Failed to write to file at path '{}'", partialPath()));
}

void HTTPRequest::handleData(std::string_view chunk) {
    lastActivity_ = platform::RunLoop::main().clock().now();
    if (bodyTarget_ == BodyTarget::Discard) {
        return;
    }
    bytesRead_ += chunk.size();
    if (bodyTarget_ == BodyTarget::Write && !writer_.write(chunk)) {
        failToWrite();
    }
}

void HTTPRequest::handleFinish() {
    task_ = 0;
    if (redirectPending_) {
        if (++redirectsInARow_ > kMaxRedirectsInARow) {
            fail(9, "The request failed because it redirected too many times");
            return;
        }
        currentURL_ = redirectURL_;
        startAttempt();
        return;
    }
    completeBody();
}

void HTTPRequest::handleFailure(const platform::HttpError& error) {
    task_ = 0;
    // A kept-alive connection the server had already closed deserves one fresh try.
    if (error.code == platform::HttpError::NetworkConnectionLost && !droppedConnectionRetried_ &&
        timeoutRestarts_ == 0) {
        droppedConnectionRetried_ = true;
        restartAfterInterruption();
        return;
    }
    switch (error.code) {
        case platform::HttpError::BadURL:
        case platform::HttpError::UnsupportedURL: fail(5, "Unable to create request (bad url?)"); return;
        case platform::HttpError::SecureConnectionFailed:
            fail(1, fmt::format("{}: SSL problem (Possible causes may include a bad/expired/self-signed "
                                "certificate, clock set to wrong date)",
                                kConnectionFailure));
            return;
        default: fail(1, kConnectionFailure); return;
    }
}

void HTTPRequest::statusCheck() {
    if (complete_ || !started_) {
        return;
    }
    if (timeOutSeconds_ > 0 && platform::RunLoop::main().secondsSince(lastActivity_) >= timeOutSeconds_) {
        if (timeoutRestarts_ < retriesOnTimeout_) {
            ++timeoutRestarts_;
            restartAfterInterruption();
        } else {
            fail(2, "The request timed out");
        }
        return;
    }
    reportProgress(false);
}

void HTTPRequest::reportProgress(bool bodyComplete) {
    if (!headersIn_ || redirectPending_ || (contentLength_ < 0 && !bodyComplete)) {
        return;
    }
    const std::uint64_t total = bytesRead_ + partialSize_;
    if (total <= lastReportedTotal_) {
        return;
    }
    const auto amount = static_cast<std::int64_t>(total - lastReportedTotal_);
    lastReportedTotal_ = total;
    if (auto progress = downloadProgressDelegate()) {
        progress->didReceiveBytes(*this, accurateProgress_ ? amount : 1);
    }
}

void HTTPRequest::completeBody() {
    if (contentLength_ == 0) {
        contentLength_ = static_cast<std::int64_t>(bytesRead_);
    }
    reportProgress(true);
    if (complete_) {
        return;  // cancelled while being told
    }
    writer_.close();
    if (!moveIntoPlace()) {
        return;
    }
    complete_ = true;
    if (auto delegate = this->delegate()) {
        delegate->requestFinished(*this);
    }
    markFinished();
}

bool HTTPRequest::moveIntoPlace() {
    if (destinationPath_.empty()) {
        return true;
    }
    const std::string from = partialPath();
    if (platform::FileSystem::exists(destinationPath_) && !platform::FileSystem::remove(destinationPath_)) {
        fail(8, fmt::format("Failed to delete file at path '{}'", destinationPath_));
        return false;
    }
    const std::string moveFailure =
        fmt::format("Failed to move file from '{}' to '{}'", from, destinationPath_);
    if (gzipEncoded_ && bodyTarget_ == BodyTarget::Write) {
        if (!GzipFileInflater::inflateFile(from, destinationPath_)) {
            platform::logf("reason:{}", "the body is not complete gzip data or cannot be written");
            fail(8, moveFailure);
            return false;
        }
        platform::FileSystem::remove(from);
    } else if (!platform::FileSystem::rename(from, destinationPath_)) {
        platform::logf("reason:{}", std::error_code(errno, std::generic_category()).message());
        fail(8, moveFailure);
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void HTTPRequest::fail(int code, std::string description) {
    if (complete_) {
        return;
    }
    complete_ = true;
    error_ = HTTPRequestError{"HTTPRequestErrorDomain", code, std::move(description)};
    stopTransfer();
    if (auto delegate = this->delegate()) {
        delegate->requestFailed(*this);
    }
    markFinished();
}

void HTTPRequest::markFinished() {
    statusTimer_.cancel();
    writer_.close();
    executing_ = false;
    // The queue may hold the last reference: it is dropped only when this call returns.
    std::shared_ptr<HTTPRequest> self = weak_from_this().lock();
    HTTPRequestQueue::shared().remove(*this);
}

void HTTPRequest::performCancel() {
    if (complete_) {
        return;
    }
    complete_ = true;
    cancelled_ = true;
    error_ = HTTPRequestError{"HTTPRequestErrorDomain", 4, "The request was cancelled"};
    stopTransfer();
    markFinished();
}
