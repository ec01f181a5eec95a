#pragma once

#include "imageloader/ImageCache.h"
#include "imageloader/ImageCacheType.h"
#include "imageloader/WebImageCombinedOperation.h"
#include "imageloader/WebImageDownloader.h"
#include "imageloader/WebImageError.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Loads pictures by address: from the memory cache, the disk cache, or the network,
// storing what it downloads. Addresses whose download failed are not tried again in
// this run, except after "not connected to the internet" (-1009). Main thread only (its entry
// points check it); completions arrive there (a memory hit at once, within the call).
class WebImageManager : public std::enable_shared_from_this<WebImageManager> {
public:
    using ProgressBlock = WebImageDownloader::ProgressBlock;
    using CompletedBlock =
        std::function<void(std::shared_ptr<platform::Image> image, const std::optional<WebImageError>& error,
                           ImageCacheType cacheType, bool finished)>;

    static std::shared_ptr<WebImageManager> sharedManager();
    // Puts another manager in the shared place (tests: a cache in a scratch folder).
    static void setSharedManager(std::shared_ptr<WebImageManager> manager);

    WebImageManager(std::shared_ptr<ImageCache> imageCache,
                    std::shared_ptr<WebImageDownloader> imageDownloader);

    // Starts a load of the address with the option bits of WebImageOptions. Without a
    // usable address, without a completion, or for an address that failed before, the
    // completion is called at once with nothing.
    std::shared_ptr<WebImageCombinedOperation> downloadWithURL(const std::string& url, unsigned options,
                                                               ProgressBlock progress,
                                                               CompletedBlock completed);
    // Cancels every load in progress.
    void cancelAll();
    bool isRunning() const;
    std::size_t runningOperationCount() const;
    bool isFailedURL(const std::string& url) const;

    ImageCache& imageCache() { return *imageCache_; }
    WebImageDownloader& imageDownloader() { return *imageDownloader_; }
    // The cache key of an address: the address itself.
    static std::string cacheKeyForURL(const std::string& url) { return url; }
    // Whether the text reads as an absolute URL (a scheme, then characters a URL may hold).
    static bool isValidURL(std::string_view url);

private:
    void removeRunning(const WebImageCombinedOperation* operation);
    void downloadAfterCacheMiss(const std::shared_ptr<WebImageCombinedOperation>& operation,
                                const std::string& url, unsigned options, ProgressBlock progress,
                                CompletedBlock completed);
    void addFailed(const std::string& url);

    std::shared_ptr<ImageCache> imageCache_;
    std::shared_ptr<WebImageDownloader> imageDownloader_;
    std::unordered_set<std::string> failedURLs_;
    std::vector<std::shared_ptr<WebImageCombinedOperation>> runningOperations_;
};
