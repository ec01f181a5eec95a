#pragma once

#include "imageloader/ImageCacheType.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/image/Image.h"
#include "platform/image/MemoryCache.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The two-level picture cache: decoded pictures in memory, downloaded bytes on disk
// (one file per key, named by the key's MD5) in a folder of the caches directory
// whose name ends with the namespace. Disk work runs on one serial background queue.
// The cache empties its memory on every memory warning of the application and trims
// its folder by age when the application is about to terminate.
class ImageCache {
public:
    using QueryCompletedBlock =
        std::function<void(std::shared_ptr<platform::Image> image, ImageCacheType cacheType)>;

    static constexpr std::int64_t kDefaultMaxCacheAge =
        std::int64_t{60} * 60 * 24 * 7;  // one week, in seconds

    // The shared cache, namespace "default", under the container's Library/Caches.
    static std::shared_ptr<ImageCache> sharedImageCache();

    // A cache whose folder is "qelvo.ImageCache.<ns>" in `directory` (the container's
    // caches directory when empty).
    explicit ImageCache(const std::string& ns, const std::string& directory = {});
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // From memory: answers at once on the calling thread (Memory). Otherwise reads and
    // decodes the key's file on the disk queue and answers on the main thread (Disk,
    // or nothing with None).
    void queryDiskCacheForKey(const std::string& key, QueryCompletedBlock done);
    // Keeps the picture in memory and, when `toDisk`, writes `imageData` (or, without
    // bytes, the picture as JPEG) to the key's file on the disk queue.
    void storeImage(std::shared_ptr<platform::Image> image, std::shared_ptr<const std::string> imageData,
                    const std::string& key, bool toDisk = true);
    std::shared_ptr<platform::Image> imageFromMemoryCacheForKey(const std::string& key);
    // Memory first, then the key's file read on the calling thread.
    std::shared_ptr<platform::Image> imageFromDiskCacheForKey(const std::string& key);
    void removeImageForKey(const std::string& key, bool fromDisk = true);

    void clearMemory();
    // Removes the folder with everything in it and makes it again (disk queue).
    void clearDisk();
    // Removes the files last modified a week ago or earlier, then, when a size limit
    // is set and still exceeded, the oldest files until half the limit is reached
    // (disk queue). "Now" is the main run loop's clock at the call.
    void cleanDisk();

    // Bytes and number of the files in the folder.
    std::uint64_t getSize() const;
    std::size_t getDiskCount() const;

    const std::string& diskCachePath() const { return diskCachePath_; }
    std::string cachePathForKey(const std::string& key) const;
    std::int64_t maxCacheAge() const { return maxCacheAge_; }
    void setMaxCacheAge(std::int64_t seconds) { maxCacheAge_ = seconds; }
    std::uint64_t maxCacheSize() const { return maxCacheSize_; }
    void setMaxCacheSize(std::uint64_t bytes) { maxCacheSize_ = bytes; }
    platform::MemoryCache& memCache() { return memCache_; }

    // Waits until the disk work queued so far is done (termination and tests).
    void waitForDiskQueue();

    // What a picture costs in the memory cache: its width times height in points, times its scale.
    static std::size_t costOf(const platform::Image& image);

private:
    void cleanDiskBefore(platform::Clock::Date expiration, std::uint64_t maxCacheSize);
    std::shared_ptr<platform::Image> readFromDisk(const std::string& key);

    platform::MemoryCache memCache_;
    std::string diskCachePath_;
    std::int64_t maxCacheAge_ = kDefaultMaxCacheAge;
    std::uint64_t maxCacheSize_ = 0;
    // Declared last but one: destroyed before the rest, finishing its queued work first.
    platform::DispatchQueue ioQueue_;
    // Declared last: no notification reaches a cache that is being destroyed.
    platform::Observation memoryWarning_;
    platform::Observation termination_;
};
