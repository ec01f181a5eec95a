#pragma once

#include "imageloader/WebImageDownloaderOperation.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Downloads pictures: one operation per address, shared by every requester of that
// address, at most two running at once in the order they were asked for. Main
// thread only (the views' thread); the operations complete there too.
class WebImageDownloader : public std::enable_shared_from_this<WebImageDownloader> {
public:
    static constexpr int kMaxConcurrentDownloads = 2;
    static constexpr double kDownloadTimeout = 15.0;

    using ProgressBlock = WebImageDownloaderOperation::ProgressBlock;
    using CompletedBlock = WebImageDownloaderOperation::CompletedBlock;

    // One requester's part in a download: cancelling it withdraws that requester only.
    struct Download {
        std::shared_ptr<WebImageDownloaderOperation> operation;  // the operation serving the address
        std::uint64_t requester = 0;
    };

    WebImageDownloader();
    virtual ~WebImageDownloader() = default;
    WebImageDownloader(const WebImageDownloader&) = delete;
    WebImageDownloader& operator=(const WebImageDownloader&) = delete;

    // Joins the running download of the address or queues a new one. Without an
    // address the completion is called at once with nothing (and no operation is made).
    // Virtual so tests can script a downloader's answers.
    virtual Download downloadImageWithURL(const std::string& url, unsigned options, ProgressBlock progress,
                                          CompletedBlock completed);
    // Withdraws a requester: its callbacks are not called; the download itself is
    // cancelled when no requester of the address remains.
    virtual void cancel(const std::string& url, std::uint64_t requester);

    // Every request carries these headers ("Accept": "image/*").
    const platform::HttpHeaders& HTTPHeaders() const { return headers_; }
    void setValueForHTTPHeaderField(const std::string& value, const std::string& field);

    std::size_t currentDownloadCount() const { return running_.size(); }
    std::size_t queuedDownloadCount() const { return waiting_.size(); }

private:
    struct Callbacks {
        std::uint64_t requester = 0;
        ProgressBlock progress;
        CompletedBlock completed;
    };
    struct AddressEntry {
        std::shared_ptr<WebImageDownloaderOperation> operation;
        std::vector<Callbacks> callbacks;
    };

    std::shared_ptr<WebImageDownloaderOperation> makeOperation(const std::string& url, unsigned options);
    void operationDidFinish(const WebImageDownloaderOperation* operation);
    void startWaiting();
    void progressOf(const std::string& url, std::int64_t received, std::int64_t expected);
    void completionOf(const std::string& url, const std::shared_ptr<platform::Image>& image,
                      const std::shared_ptr<const std::string>& data,
                      const std::optional<WebImageError>& error, bool finished);

    platform::HttpHeaders headers_;
    std::map<std::string, AddressEntry> URLCallbacks_;
    std::deque<std::shared_ptr<WebImageDownloaderOperation>> waiting_;
    std::vector<std::shared_ptr<WebImageDownloaderOperation>> running_;
    std::uint64_t nextRequester_ = 1;
    bool starting_ = false;
};
