#include "imageloader/WebImageDownloaderOperation.h"

#include "imageloader/WebImageDecoder.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>

namespace {

// The buffer is sized from the announced length only up to this, so a lying
// length cannot make it allocate a fortune before any byte arrived.
constexpr std::int64_t kMaxReservedBytes = std::int64_t{16} * 1024 * 1024;

}  // namespace

WebImageDownloaderOperation::WebImageDownloaderOperation(platform::URLRequest request, unsigned options,
                                                         ProgressBlock progress, CompletedBlock completed,
                                                         std::function<void()> cancelled)
    : request_(std::move(request)),
      options_(options),
      progress_(std::move(progress)),
      completed_(std::move(completed)),
      cancelled_block_(std::move(cancelled)) {}

WebImageDownloaderOperation::~WebImageDownloaderOperation() {
    if (connection_) {
        connection_->cancel();
    }
}

void WebImageDownloaderOperation::start() {
    if (finished_) {
        return;
    }
    if (cancelled_) {
        finish();
        return;
    }
    executing_ = true;
    connection_ = platform::URLConnection::connectionWithRequest(request_, shared_from_this());
    if (!connection_) {
        complete(nullptr, nullptr,
                 WebImageError{WebImageError::kURLErrorDomain, 0, "Connection can't be initialized"});
        return;
    }
    if (progress_) {
        progress_(0, -1);
    }
    platform::NotificationCenter::defaultCenter().post(kStartNotification);
}

void WebImageDownloaderOperation::cancel() {
    if (finished_ || cancelled_) {
        return;
    }
    // The downloader lets go of the operation when it finishes; it stays alive until this returns.
    auto self = shared_from_this();
    cancelled_ = true;
    if (auto block = std::move(cancelled_block_)) {
        cancelled_block_ = nullptr;
        block();
    }
    stopConnection();
    progress_ = nullptr;
    completed_ = nullptr;
    finish();
}

void WebImageDownloaderOperation::didReceiveResponse(platform::URLConnection& /*connection*/,
                                                     const platform::HttpResponse& response) {
    if (response.status >= 400) {
        stopConnection();
        complete(nullptr, nullptr,
                 WebImageError{WebImageError::kURLErrorDomain, response.status,
                               "HTTP status " + std::to_string(response.status)});
        return;
    }
    expectedSize_ = std::max<std::int64_t>(0, response.expectedContentLength());
    imageData_.clear();
    imageData_.reserve(static_cast<std::size_t>(std::min(expectedSize_, kMaxReservedBytes)));
    if (progress_) {
        progress_(0, expectedSize_);
    }
}

void WebImageDownloaderOperation::didReceiveData(platform::URLConnection& /*connection*/,
                                                 std::string_view data) {
    imageData_.append(data);
    if (progress_) {
        progress_(static_cast<std::int64_t>(imageData_.size()), expectedSize_);
    }
}

void WebImageDownloaderOperation::connectionDidFinishLoading(platform::URLConnection& /*connection*/) {
    connection_.reset();
    platform::NotificationCenter::defaultCenter().post(kStopNotification);
    auto data = std::make_shared<const std::string>(std::move(imageData_));
    imageData_.clear();
    // Decoding is the expensive part; it leaves the main thread and the result comes back to it.
    std::weak_ptr<WebImageDownloaderOperation> weak = weak_from_this();
    std::string key = request_.url;
    platform::DispatchQueue::global().async([weak, data, key = std::move(key)] {
        std::shared_ptr<platform::Image> image = WebImageDecoder::decodedImage(*data, key);
        platform::RunLoop::main().post([weak, data, image = std::move(image)]() mutable {
            auto self = weak.lock();
            if (!self || self->cancelled_ || self->finished_) {
                return;
            }
            if (!image) {
                self->complete(
                    nullptr, nullptr,
                    WebImageError{WebImageError::kWebImageErrorDomain, 0, "Downloaded image has 0 pixels"});
                return;
            }
            self->complete(std::move(image), std::move(data), std::nullopt);
        });
    });
}

void WebImageDownloaderOperation::didFailWithError(platform::URLConnection& /*connection*/,
                                                   const platform::HttpError& error) {
    connection_.reset();
    platform::NotificationCenter::defaultCenter().post(kStopNotification);
    complete(nullptr, nullptr, WebImageError{WebImageError::kURLErrorDomain, error.code, error.description});
}

void WebImageDownloaderOperation::stopConnection() {
    if (!connection_) {
        return;
    }
    auto connection = std::move(connection_);
    connection_.reset();
    connection->cancel();
    platform::NotificationCenter::defaultCenter().post(kStopNotification);
}

void WebImageDownloaderOperation::complete(std::shared_ptr<platform::Image> image,
                                           std::shared_ptr<const std::string> data,
                                           const std::optional<WebImageError>& error) {
    auto self = shared_from_this();  // the downloader lets go of it when it finishes
    CompletedBlock completed = std::move(completed_);
    completed_ = nullptr;
    progress_ = nullptr;
    cancelled_block_ = nullptr;
    if (completed) {
        completed(std::move(image), std::move(data), error, true);
    }
    finish();
}

void WebImageDownloaderOperation::finish() {
    if (finished_) {
        return;
    }
    executing_ = false;
    finished_ = true;
    if (auto handler = std::move(finishedHandler_)) {
        finishedHandler_ = nullptr;
        handler();
    }
}
