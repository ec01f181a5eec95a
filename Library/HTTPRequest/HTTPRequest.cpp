#include "Library/HTTPRequest/HTTPRequest.h"

#include "Library/HTTPRequest/HTTPResponseHeaders.h"
#include "Library/HTTPRequest/HTTPRequestConnection.h"
#include "Library/HTTPRequest/HTTPRequestQueue.h"
#include "Library/HTTPRequest/HTTPUserAgent.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/GzipFileInflater.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/SystemError.h"
#include "platform/foundation/Log.h"
#include "platform/net/HttpFileSink.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

using Code = HTTPRequestErrorCode;
constexpr int kMaxRedirectsInARow = 5;
constexpr double kStatusCheckInterval = 0.25;
constexpr const char* kConnectionFailure = "A connection failure occurred";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
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

// True when `url` starts with a scheme ("file:", "ftp:", "http:"): it names its own place
// and is never read as a path on the server that sent it.
bool hasScheme(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0]))) {
        return false;
    }
    return std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

// The address a "Location" names, seen from the address that answered with it. An
// address of another scheme stays as it is, so the transfer refuses it.
std::string resolveLocation(const std::string& base, const std::string& location) {
    if (!originOf(location).empty() || hasScheme(location)) {
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

HTTPRequest::~HTTPRequest() = default;

const std::string& HTTPRequest::url() const {
    return url_;
}

void HTTPRequest::setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate) {
    platform::assertMainThread();
    delegate_ = std::move(delegate);
}

void HTTPRequest::setDownloadProgressDelegate(std::weak_ptr<HTTPRequestProgressDelegate> delegate) {
    platform::assertMainThread();
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
    platform::assertMainThread();
    if (phase_ != Phase::Idle) {
        return;
    }
    phase_ = Phase::Queued;
    // The queue takes it once the caller's work is done, so no callback comes before this returns.
    platform::RunLoop::main().post([self = shared_from_this()] {
        if (self->phase_ == Phase::Queued) {
            HTTPRequestQueue::shared().add(self);
        }
    });
}

bool HTTPRequest::isExecuting() const {
    return phase_ == Phase::Queued || phase_ == Phase::Running || phase_ == Phase::Ending;
}

void HTTPRequest::clearDelegatesAndCancel() {
    platform::assertMainThread();
    delegate_.reset();
    progressDelegate_.reset();
    if (weak_from_this().expired()) {
        return;
    }
    performCancel();
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

bool HTTPRequest::responseHoldsFile() const {
    return plan_.holdsFile();
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
    setResponse(statusCode, std::move(headers), statusCode == 200 || statusCode == 206);
}

void HTTPRequest::setResponse(int statusCode, HTTPHeaders headers, bool holdsFile) {
    statusCode_ = statusCode;
    responseHeaders_ = std::move(headers);
    plan_ = DownloadResponsePlan{};
    plan_.kind = holdsFile ? DownloadResponsePlan::Kind::File : DownloadResponsePlan::Kind::Error;
}

void HTTPRequest::setError(std::optional<HTTPRequestError> error) {
    error_ = std::move(error);
}

void HTTPRequest::setExecuting(bool executing) {
    phase_ = executing ? Phase::Running : Phase::Finished;
}

std::string HTTPRequest::partialPath() const {
    return temporaryPath_.empty() ? destinationPath_ + ".download" : temporaryPath_;
}

void HTTPRequest::beginTransfer() {
    if (phase_ != Phase::Idle && phase_ != Phase::Queued) {
        return;
    }
    phase_ = Phase::Running;
    currentURL_ = url_;
    if (originOf(url_).empty()) {
        fail(Code::BadURL, "Unable to create request (bad url?)");
        return;
    }
    partialSize_ = 0;
    if (allowResume_ && !destinationPath_.empty() && !temporaryPath_.empty() &&
        platform::FileSystem::exists(temporaryPath_)) {
        std::optional<std::uint64_t> size = platform::FileSystem::fileSize(temporaryPath_);
        if (!size) {
            fail(Code::FileHandling, fmt::format("Failed to get attributes for file at path '{}'", temporaryPath_));
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
    plan_ = DownloadResponsePlan{};
    redirectPending_ = false;
    gzipEncoded_ = false;
    accurateProgress_ = true;
    bodyTarget_ = BodyTarget::Discard;
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
    if (!destinationPath_.empty()) {
        // The body goes from the network straight into the partial file, off this thread.
        sink_ = std::make_shared<platform::HttpFileSink>(partialPath(), platform::RunLoop::main().sharedClock());
        request.bodyFile = sink_;
    }
    lastActivity_ = platform::RunLoop::main().clock().now();

    std::shared_ptr<HTTPRequest> self = shared_from_this();
    if (auto delegate = this->delegate()) {
        delegate->requestStarted(*this);
    }
    if (hasEnded()) {
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
    closeSink();
}

void HTTPRequest::closeSink() {
    if (sink_) {
        // Once this returns nothing more is written: the partial file is what the next "Range" asks after.
        sink_->cancel();
        sink_.reset();
    }
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
    const bool hasLocation = location != nullptr && !location->empty();
    plan_ = DownloadResponsePlan::forResponse(response.status, responseHeaders_, hasLocation, partialSize_,
                                              sentRange_);
    if (plan_.kind == DownloadResponsePlan::Kind::Redirect) {
        redirectPending_ = true;
        // A redirect plan always has a Location; the check keeps that visible here.
        redirectURL_ = location != nullptr ? resolveLocation(currentURL_, *location) : currentURL_;
        bodyTarget_ = BodyTarget::Discard;
        if (!placeBody({})) {
            return;
        }
    } else {
        redirectsInARow_ = 0;
        const long long length = response.expectedContentLength();
        accurateProgress_ = length >= 0;
        contentLength_ = length;
        const std::string* encoding = response.header("Content-Encoding");
        gzipEncoded_ = encoding != nullptr && encoding->find("gzip") != std::string::npos;
        if (!prepareBody()) {
            return;
        }
    }
    if (auto delegate = this->delegate()) {
        HTTPHeaders copy = responseHeaders_;
        delegate->didReceiveResponseHeaders(*this, copy);
    }
}

bool HTTPRequest::prepareBody() {
    using Kind = DownloadResponsePlan::Kind;
    switch (plan_.kind) {
        case Kind::RestartFromFirstByte: return restartFromFirstByte();
        case Kind::Unusable: fail(Code::ConnectionFailure, kConnectionFailure); return false;
        case Kind::Redirect:
        case Kind::Error:
            // An error page is no part of the file: the partial file stays exactly as it was.
            bodyTarget_ = BodyTarget::Discard;
            return placeBody({});
        case Kind::AlreadyWhole:
            // The partial file only needs moving into place.
            bodyTarget_ = BodyTarget::Discard;
            accurateProgress_ = true;
            contentLength_ = 0;
            return placeBody({});
        case Kind::File: break;
    }
    if (destinationPath_.empty()) {
        bodyTarget_ = BodyTarget::CountOnly;
        return true;
    }
    partialSize_ = plan_.keep;
    bodyTarget_ = BodyTarget::Write;
    return placeBody({true, plan_.keep, plan_.skip});
}

bool HTTPRequest::placeBody(const platform::HttpFileSink::Placement& placement) {
    if (!sink_ || sink_->place(placement)) {
        return true;
    }
    failToWrite();
    return false;
}

bool HTTPRequest::restartFromFirstByte() {
    // Once is enough: a server that answers a plain request with a later range cannot be helped.
    if (restartedFromFirstByte_ || !sentRange_) {
        fail(Code::ConnectionFailure, kConnectionFailure);
        return false;
    }
    restartedFromFirstByte_ = true;
    stopTransfer();
    // The partial file stays as it is until a whole file answers and takes its place.
    partialSize_ = 0;
    startAttempt();
    return false;
}

bool HTTPRequest::failedToWrite() {
    if (!sink_ || !sink_->writeError()) {
        return false;
    }
    failToWrite();
    return true;
}

void HTTPRequest::failToWrite() {
    const int number = sink_ ? sink_->writeError().value_or(0) : 0;
    const bool noSpace = sink_ && sink_->writeErrorWasNoSpace();
    platform::logf("reason:{}", platform::systemErrorMessage(number));
    fail(Code::FileHandling, fmt::format("Failed to write to file at path '{}'", partialPath()), noSpace);
}

void HTTPRequest::handleData(std::string_view chunk) {
    // Only a request without a destination sees its body here; a file's goes to its sink.
    lastActivity_ = platform::RunLoop::main().clock().now();
    if (bodyTarget_ != BodyTarget::Discard) {
        bytesRead_ += chunk.size();
    }
}

std::uint64_t HTTPRequest::bodyBytes() const {
    if (!sink_) {
        return bytesRead_;
    }
    // What the partial file holds is what counts: its writer adds to it off this thread.
    const std::uint64_t onDisk = platform::FileSystem::fileSize(partialPath()).value_or(partialSize_);
    return onDisk > partialSize_ ? onDisk - partialSize_ : 0;
}

void HTTPRequest::handleFinish() {
    task_ = 0;
    if (failedToWrite()) {
        return;
    }
    if (redirectPending_) {
        if (++redirectsInARow_ > kMaxRedirectsInARow) {
            fail(Code::TooManyRedirects, "The request failed because it redirected too many times");
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
    if (failedToWrite()) {
        return;
    }
    // A kept-alive connection the server had already closed deserves one fresh try.
    if (error.code == platform::HttpError::NetworkConnectionLost && !droppedConnectionRetried_ &&
        timeoutRestarts_ == 0) {
        droppedConnectionRetried_ = true;
        restartAfterInterruption();
        return;
    }
    switch (error.code) {
        case platform::HttpError::BadURL:
        case platform::HttpError::UnsupportedURL: fail(Code::BadURL, "Unable to create request (bad url?)"); return;
        case platform::HttpError::SecureConnectionFailed:
            fail(Code::ConnectionFailure, fmt::format("{}: SSL problem (Possible causes may include a bad/expired/self-signed "
                                "certificate, clock set to wrong date)",
                                kConnectionFailure));
            return;
        default: fail(Code::ConnectionFailure, kConnectionFailure); return;
    }
}

void HTTPRequest::statusCheck() {
    if (phase_ != Phase::Running) {
        return;
    }
    if (const auto arrived = sink_ ? sink_->lastActivity() : std::nullopt; arrived && *arrived > lastActivity_) {
        lastActivity_ = *arrived;
    }
    if (timeOutSeconds_ > 0 && platform::RunLoop::main().secondsSince(lastActivity_) >= timeOutSeconds_) {
        if (timeoutRestarts_ < retriesOnTimeout_) {
            ++timeoutRestarts_;
            restartAfterInterruption();
        } else {
            fail(Code::TimedOut, "The request timed out");
        }
        return;
    }
    reportProgress(false);
}

void HTTPRequest::reportProgress(bool bodyComplete) {
    if (!headersIn_ || !plan_.holdsFile() || (contentLength_ < 0 && !bodyComplete)) {
        return;
    }
    const std::uint64_t total = bodyBytes() + partialSize_;
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
        contentLength_ = static_cast<std::int64_t>(bodyBytes());
    }
    reportProgress(true);
    if (hasEnded()) {
        return;  // cancelled while being told
    }
    closeSink();  // its writer has put every byte in the file and closed it
    // An error page completes the request, but nothing is moved into place: the engine sees
    // the status and keeps the partial file for the next attempt.
    if (plan_.holdsFile()) {
        if (!partialFileIsWhole() || !moveIntoPlace()) {
            return;
        }
    }
    phase_ = Phase::Ending;
    if (auto delegate = this->delegate()) {
        delegate->requestFinished(*this);
    }
    markFinished();
}

bool HTTPRequest::partialFileIsWhole() {
    if (destinationPath_.empty() || !plan_.promisedSize) {
        return true;
    }
    const std::uint64_t onDisk = platform::FileSystem::fileSize(partialPath()).value_or(0);
    if (onDisk == *plan_.promisedSize) {
        return true;
    }
    // The body ended before the length its headers promised: what arrived stays for a resume.
    platform::logf("reason:the body ended at {} of {} bytes", onDisk, *plan_.promisedSize);
    fail(Code::ConnectionFailure, kConnectionFailure);
    return false;
}

bool HTTPRequest::moveIntoPlace() {
    if (destinationPath_.empty()) {
        return true;
    }
    const std::string from = partialPath();
    if (platform::FileSystem::exists(destinationPath_) && !platform::FileSystem::remove(destinationPath_)) {
        fail(Code::FileHandling, fmt::format("Failed to delete file at path '{}'", destinationPath_));
        return false;
    }
    const std::string moveFailure =
        fmt::format("Failed to move file from '{}' to '{}'", from, destinationPath_);
    if (gzipEncoded_ && bodyTarget_ == BodyTarget::Write) {
        // Inflated beside the partial file first, so the destination only ever holds a whole file.
        const std::string inflated = from + ".inflating";
        platform::GzipFileInflater::Result result = platform::GzipFileInflater::inflateFile(from, inflated);
        if (result != platform::GzipFileInflater::Result::Inflated) {
            platform::logf("reason:{}", result == platform::GzipFileInflater::Result::NoSpace
                                            ? "no space left to inflate the body"
                                            : "the body is not complete gzip data or cannot be written");
            fail(Code::FileHandling, moveFailure, result == platform::GzipFileInflater::Result::NoSpace);
            return false;
        }
        if (!platform::FileSystem::rename(inflated, destinationPath_)) {
            platform::logf("reason:{}", platform::lastSystemErrorMessage());
            platform::FileSystem::remove(inflated);
            fail(Code::FileHandling, moveFailure);
            return false;
        }
        platform::FileSystem::remove(from);
    } else if (!platform::FileSystem::rename(from, destinationPath_)) {
        platform::logf("reason:{}", platform::lastSystemErrorMessage());
        fail(Code::FileHandling, moveFailure);
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void HTTPRequest::fail(HTTPRequestErrorCode code, std::string description, bool diskFull) {
    if (hasEnded()) {
        return;
    }
    phase_ = Phase::Ending;
    error_ = HTTPRequestError{"HTTPRequestErrorDomain", code, std::move(description), diskFull};
    stopTransfer();
    if (auto delegate = this->delegate()) {
        delegate->requestFailed(*this);
    }
    markFinished();
}

void HTTPRequest::markFinished() {
    statusTimer_.cancel();
    closeSink();
    phase_ = Phase::Finished;
    // The queue may hold the last reference: it is dropped only when this call returns.
    std::shared_ptr<HTTPRequest> self = weak_from_this().lock();
    HTTPRequestQueue::shared().remove(*this);
}

void HTTPRequest::performCancel() {
    if (hasEnded()) {
        return;
    }
    phase_ = Phase::Ending;
    error_ = HTTPRequestError{"HTTPRequestErrorDomain", Code::Cancelled, "The request was cancelled"};
    stopTransfer();
    markFinished();
}
