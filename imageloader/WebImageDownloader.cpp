#include "imageloader/WebImageDownloader.h"

#include <algorithm>

WebImageDownloader::WebImageDownloader() : headers_{{"Accept", "image/*"}} {}

void WebImageDownloader::setValueForHTTPHeaderField(const std::string& value, const std::string& field) {
    auto same = [&](const auto& header) { return header.first == field; };
    headers_.erase(std::remove_if(headers_.begin(), headers_.end(), same), headers_.end());
    if (!value.empty()) {
        headers_.emplace_back(field, value);
    }
}

WebImageDownloader::Download WebImageDownloader::downloadImageWithURL(const std::string& url,
                                                                      unsigned options,
                                                                      ProgressBlock progress,
                                                                      CompletedBlock completed) {
    if (url.empty()) {
        if (completed) {
            completed(nullptr, nullptr, std::nullopt, false);
        }
        return {};
    }
    const std::uint64_t requester = nextRequester_++;
    AddressEntry& entry = URLCallbacks_[url];
    entry.callbacks.push_back(Callbacks{requester, std::move(progress), std::move(completed)});
    if (!entry.operation) {
        entry.operation = makeOperation(url, options);
        waiting_.push_back(entry.operation);
        startWaiting();
    }
    return Download{URLCallbacks_[url].operation, requester};
}

void WebImageDownloader::cancel(const std::string& url, std::uint64_t requester) {
    auto found = URLCallbacks_.find(url);
    if (found == URLCallbacks_.end()) {
        return;
    }
    auto& callbacks = found->second.callbacks;
    callbacks.erase(std::remove_if(callbacks.begin(), callbacks.end(),
                                   [&](const Callbacks& each) { return each.requester == requester; }),
                    callbacks.end());
    if (callbacks.empty()) {
        std::shared_ptr<WebImageDownloaderOperation> operation = std::move(found->second.operation);
        URLCallbacks_.erase(found);
        if (operation) {
            operation->cancel();
        }
    }
}

std::shared_ptr<WebImageDownloaderOperation> WebImageDownloader::makeOperation(const std::string& url,
                                                                               unsigned options) {
    platform::URLRequest request;
    request.url = url;
    request.headers = headers_;
    request.timeoutInterval = kDownloadTimeout;
    std::weak_ptr<WebImageDownloader> weak = weak_from_this();
    // An operation completes only while it serves its address: a cancelled one has
    // lost its requesters and never completes, so the address's list is its own.
    auto operation = std::make_shared<WebImageDownloaderOperation>(
        std::move(request), options,
        [weak, url](std::int64_t received, std::int64_t expected) {
            if (auto self = weak.lock()) {
                self->progressOf(url, received, expected);
            }
        },
        [weak, url](const std::shared_ptr<platform::Image>& image,
                    const std::shared_ptr<const std::string>& data, const std::optional<WebImageError>& error,
                    bool finished) {
            if (auto self = weak.lock()) {
                self->completionOf(url, image, data, error, finished);
            }
        },
        [weak, url] {
            if (auto self = weak.lock()) {
                self->URLCallbacks_.erase(url);
            }
        });
    const WebImageDownloaderOperation* raw = operation.get();
    operation->setFinishedHandler([weak, raw] {
        if (auto self = weak.lock()) {
            self->operationDidFinish(raw);
        }
    });
    return operation;
}

void WebImageDownloader::progressOf(const std::string& url, std::int64_t received, std::int64_t expected) {
    auto found = URLCallbacks_.find(url);
    if (found == URLCallbacks_.end()) {
        return;
    }
    // A progress callback may withdraw a requester; the copy keeps the walk valid.
    std::vector<ProgressBlock> blocks;
    for (const Callbacks& each : found->second.callbacks) {
        if (each.progress) {
            blocks.push_back(each.progress);
        }
    }
    for (const ProgressBlock& block : blocks) {
        block(received, expected);
    }
}

void WebImageDownloader::completionOf(const std::string& url, const std::shared_ptr<platform::Image>& image,
                                      const std::shared_ptr<const std::string>& data,
                                      const std::optional<WebImageError>& error, bool finished) {
    auto found = URLCallbacks_.find(url);
    if (found == URLCallbacks_.end()) {
        return;
    }
    std::vector<Callbacks> callbacks = std::move(found->second.callbacks);
    URLCallbacks_.erase(found);
    for (const Callbacks& each : callbacks) {
        if (each.completed) {
            each.completed(image, data, error, finished);
        }
    }
}

void WebImageDownloader::operationDidFinish(const WebImageDownloaderOperation* operation) {
    auto same = [operation](const std::shared_ptr<WebImageDownloaderOperation>& each) {
        return each.get() == operation;
    };
    auto running = std::find_if(running_.begin(), running_.end(), same);
    if (running != running_.end()) {
        running_.erase(running);
    }
    auto waiting = std::find_if(waiting_.begin(), waiting_.end(), same);
    if (waiting != waiting_.end()) {
        waiting_.erase(waiting);
    }
    startWaiting();
}

void WebImageDownloader::startWaiting() {
    // An operation that finishes while starting comes back here; the outer call
    // carries on with the queue.
    if (starting_) {
        return;
    }
    starting_ = true;
    while (running_.size() < static_cast<std::size_t>(kMaxConcurrentDownloads) && !waiting_.empty()) {
        std::shared_ptr<WebImageDownloaderOperation> next = std::move(waiting_.front());
        waiting_.pop_front();
        if (next->isFinished()) {
            continue;
        }
        running_.push_back(next);
        next->start();
    }
    starting_ = false;
}
