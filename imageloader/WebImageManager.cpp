#include "imageloader/WebImageManager.h"

#include "imageloader/WebImageOptions.h"
#include "platform/foundation/MainThread.h"

#include <algorithm>

namespace {

std::shared_ptr<WebImageManager>& sharedStorage() {
    static std::shared_ptr<WebImageManager> shared;
    return shared;
}

bool isSchemeCharacter(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

}  // namespace

std::shared_ptr<WebImageManager> WebImageManager::sharedManager() {
    platform::assertMainThread();
    std::shared_ptr<WebImageManager>& shared = sharedStorage();
    if (!shared) {
        shared = std::make_shared<WebImageManager>(ImageCache::sharedImageCache(),
                                                   std::make_shared<WebImageDownloader>());
    }
    return shared;
}

void WebImageManager::setSharedManager(std::shared_ptr<WebImageManager> manager) {
    platform::assertMainThread();
    sharedStorage() = std::move(manager);
}

WebImageManager::WebImageManager(std::shared_ptr<ImageCache> imageCache,
                                 std::shared_ptr<WebImageDownloader> imageDownloader)
    : imageCache_(std::move(imageCache)), imageDownloader_(std::move(imageDownloader)) {}

bool WebImageManager::isValidURL(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == 0 || colon == std::string_view::npos || colon + 1 == url.size()) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        if (!isSchemeCharacter(url[i], i == 0)) {
            return false;
        }
    }
    // Characters a URL cannot hold unescaped make the platform refuse the text.
    static constexpr std::string_view kRefused = " \"<>\\^`{|}";
    return std::all_of(url.begin() + static_cast<std::ptrdiff_t>(colon), url.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte < 0x7f && kRefused.find(c) == std::string_view::npos;
    });
}

std::shared_ptr<WebImageCombinedOperation> WebImageManager::downloadWithURL(const std::string& url,
                                                                            unsigned options,
                                                                            ProgressBlock progress,
                                                                            CompletedBlock completed) {
    platform::assertMainThread();
    auto operation = std::make_shared<WebImageCombinedOperation>();
    if (!completed) {
        return operation;
    }
    if (!isValidURL(url) || (!(options & WebImageRetryFailed) && isFailedURL(url))) {
        completed(nullptr, std::nullopt, ImageCacheType::None, true);
        return operation;
    }
    runningOperations_.push_back(operation);
    const std::string key = cacheKeyForURL(url);
    std::weak_ptr<WebImageManager> weak = weak_from_this();
    imageCache_->queryDiskCacheForKey(
        key,
        [weak, operation, url, options, progress = std::move(progress), completed = std::move(completed)](
            std::shared_ptr<platform::Image> image, ImageCacheType cacheType) mutable {
            auto self = weak.lock();
            if (!self) {
                return;
            }
            if (operation->isCancelled()) {
                self->removeRunning(operation.get());
                return;
            }
            if (image) {
                completed(std::move(image), std::nullopt, cacheType, true);
                self->removeRunning(operation.get());
                return;
            }
            self->downloadAfterCacheMiss(operation, url, options, std::move(progress), std::move(completed));
        });
    return operation;
}

void WebImageManager::downloadAfterCacheMiss(const std::shared_ptr<WebImageCombinedOperation>& operation,
                                             const std::string& url, unsigned options, ProgressBlock progress,
                                             CompletedBlock completed) {
    std::weak_ptr<WebImageManager> weak = weak_from_this();
    std::weak_ptr<WebImageCombinedOperation> weakOperation = operation;
    WebImageDownloader::Download download = imageDownloader_->downloadImageWithURL(
        url, 0, std::move(progress),
        [weak, weakOperation, url, options, completed = std::move(completed)](
            const std::shared_ptr<platform::Image>& image, std::shared_ptr<const std::string> data,
            const std::optional<WebImageError>& error, bool finished) {
            auto self = weak.lock();
            auto operation = weakOperation.lock();
            if (!self || !operation) {
                return;
            }
            if (operation->isCancelled()) {
                completed(nullptr, std::nullopt, ImageCacheType::None, finished);
            } else if (error) {
                completed(nullptr, error, ImageCacheType::None, finished);
                if (error->code != WebImageError::kNotConnectedToInternet) {
                    self->addFailed(url);
                }
            } else {
                completed(image, std::nullopt, ImageCacheType::None, finished);
                if (image) {
                    self->imageCache_->storeImage(image, std::move(data), cacheKeyForURL(url),
                                                  !(options & WebImageCacheMemoryOnly));
                }
            }
            if (finished) {
                self->removeRunning(operation.get());
            }
        });
    std::weak_ptr<WebImageDownloader> weakDownloader = imageDownloader_;
    operation->setCancelBlock([weak, weakDownloader, weakOperation, url, requester = download.requester] {
        if (auto downloader = weakDownloader.lock()) {
            downloader->cancel(url, requester);
        }
        auto self = weak.lock();
        auto cancelled = weakOperation.lock();
        if (self && cancelled) {
            self->removeRunning(cancelled.get());
        }
    });
}

void WebImageManager::cancelAll() {
    platform::assertMainThread();
    // Cancelling one takes it out of the list: the loop runs over a copy.
    const std::vector<std::shared_ptr<WebImageCombinedOperation>> running = runningOperations_;
    for (const auto& operation : running) {
        operation->cancel();
    }
    runningOperations_.clear();
}

bool WebImageManager::isRunning() const {
    return runningOperationCount() > 0;
}

std::size_t WebImageManager::runningOperationCount() const {
    return runningOperations_.size();
}

bool WebImageManager::isFailedURL(const std::string& url) const {
    return failedURLs_.contains(url);
}

void WebImageManager::addFailed(const std::string& url) {
    failedURLs_.insert(url);
}

void WebImageManager::removeRunning(const WebImageCombinedOperation* operation) {
    std::shared_ptr<WebImageCombinedOperation> removed;  // released once it is out of the list
    auto found = std::find_if(runningOperations_.begin(), runningOperations_.end(),
                              [operation](const auto& each) { return each.get() == operation; });
    if (found != runningOperations_.end()) {
        removed = std::move(*found);
        runningOperations_.erase(found);
    }
}
