#pragma once

#include "imageloader/WebImageError.h"
#include "platform/image/Image.h"
#include "platform/net/URLConnection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The download of one picture address, shared by every requester of that address.
// Main thread only: it runs its connection there, decodes the bytes on a
// background queue and completes back on the main thread.
class WebImageDownloaderOperation : public platform::URLConnectionDelegate,
                                    public std::enable_shared_from_this<WebImageDownloaderOperation> {
public:
    static constexpr const char* kStartNotification = "WebImageDownloadStartNotification";
    static constexpr const char* kStopNotification = "WebImageDownloadStopNotification";

    using ProgressBlock = std::function<void(std::int64_t receivedSize, std::int64_t expectedSize)>;
    // The picture and its bytes, or an error; `finished` is true once the download is over.
    using CompletedBlock =
        std::function<void(std::shared_ptr<platform::Image> image, std::shared_ptr<const std::string> data,
                           const std::optional<WebImageError>& error, bool finished)>;

    WebImageDownloaderOperation(platform::URLRequest request, unsigned options, ProgressBlock progress,
                                CompletedBlock completed, std::function<void()> cancelled);
    ~WebImageDownloaderOperation() override;

    // Opens the connection (nothing when already cancelled: the operation just finishes).
    void start();
    // Stops the download unless it is over; the completion is not called afterwards.
    void cancel();
    // Called once when the operation is over: completed, failed or cancelled.
    void setFinishedHandler(std::function<void()> handler) { finishedHandler_ = std::move(handler); }

    const platform::URLRequest& request() const { return request_; }
    unsigned options() const { return options_; }
    bool isExecuting() const { return executing_; }
    bool isFinished() const { return finished_; }
    bool isCancelled() const { return cancelled_; }
    std::int64_t expectedSize() const { return expectedSize_; }

    void didReceiveResponse(platform::URLConnection& connection,
                            const platform::HttpResponse& response) override;
    void didReceiveData(platform::URLConnection& connection, std::string_view data) override;
    void connectionDidFinishLoading(platform::URLConnection& connection) override;
    void didFailWithError(platform::URLConnection& connection, const platform::HttpError& error) override;

private:
    void stopConnection();
    void complete(std::shared_ptr<platform::Image> image, std::shared_ptr<const std::string> data,
                  const std::optional<WebImageError>& error);
    void finish();

    platform::URLRequest request_;
    unsigned options_ = 0;
    ProgressBlock progress_;
    CompletedBlock completed_;
    std::function<void()> cancelled_block_;
    std::function<void()> finishedHandler_;
    std::shared_ptr<platform::URLConnection> connection_;
    std::string imageData_;
    std::int64_t expectedSize_ = 0;
    bool executing_ = false;
    bool finished_ = false;
    bool cancelled_ = false;
};
