#include "imageloader/ImageCache.h"

#include "imageloader/WebImageDecoder.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Md5.h"
#include "platform/foundation/RunLoop.h"
#include "platform/image/JpegEncoder.h"
#include "platform/ui/Application.h"

#include <algorithm>
#include <vector>

namespace {

using CachedFile = platform::FileSystem::FileInfo;

// The files of the folder, hidden ones left out.
std::vector<CachedFile> listCachedFiles(const std::string& folder) {
    std::vector<CachedFile> files = platform::FileSystem::listFiles(folder).value_or(std::vector<CachedFile>{});
    std::erase_if(files, [](const CachedFile& file) { return file.name.starts_with('.'); });
    return files;
}

}  // namespace

std::shared_ptr<ImageCache> ImageCache::sharedImageCache() {
    static std::shared_ptr<ImageCache> shared = std::make_shared<ImageCache>("default");
    return shared;
}

ImageCache::ImageCache(const std::string& ns, const std::string& directory)
    : diskCachePath_(platform::FileSystem::appendingPathComponent(
          directory.empty() ? platform::Container::shared().caches() : directory, "qelvo.ImageCache." + ns)),
      ioQueue_("qelvo.ImageCache.io") {
    auto& center = platform::NotificationCenter::defaultCenter();
    memoryWarning_ = center.addObserver(platform::Application::kDidReceiveMemoryWarningNotification,
                                        [this](const platform::Notification&) { clearMemory(); });
    termination_ = center.addObserver(platform::Application::kWillTerminateNotification,
                                      [this](const platform::Notification&) {
                                          cleanDisk();
                                          // The process ends right after this notification.
                                          waitForDiskQueue();
                                      });
}

ImageCache::~ImageCache() = default;

std::string ImageCache::cachePathForKey(const std::string& key) const {
    return platform::FileSystem::appendingPathComponent(diskCachePath_, platform::Md5::hex(key));
}

std::size_t ImageCache::costOf(const platform::Image& image) {
    const platform::Size size = image.size();
    return static_cast<std::size_t>(size.width * size.height * image.scale());
}

void ImageCache::queryDiskCacheForKey(const std::string& key, QueryCompletedBlock done) {
    if (!done) {
        return;
    }
    if (key.empty()) {
        done(nullptr, ImageCacheType::None);
        return;
    }
    if (auto image = memCache_.objectForKey(key)) {
        done(std::move(image), ImageCacheType::Memory);
        return;
    }
    ioQueue_.async([this, key, done = std::move(done)]() mutable {
        std::shared_ptr<platform::Image> image = readFromDisk(key);
        platform::RunLoop::main().post([image = std::move(image), done = std::move(done)] {
            done(image, image ? ImageCacheType::Disk : ImageCacheType::None);
        });
    });
}

std::shared_ptr<platform::Image> ImageCache::readFromDisk(const std::string& key) {
    std::optional<std::string> bytes = platform::FileSystem::readFile(cachePathForKey(key));
    if (!bytes) {
        return nullptr;
    }
    std::shared_ptr<platform::Image> image = WebImageDecoder::decodedImage(*bytes, key);
    if (image) {
        memCache_.setObject(key, image, costOf(*image));
    }
    return image;
}

void ImageCache::storeImage(std::shared_ptr<platform::Image> image,
                            std::shared_ptr<const std::string> imageData, const std::string& key,
                            bool toDisk) {
    if (!image || key.empty()) {
        return;
    }
    memCache_.setObject(key, image, costOf(*image));
    if (!toDisk) {
        return;
    }
    ioQueue_.async([this, image = std::move(image), imageData = std::move(imageData), key] {
        std::shared_ptr<const std::string> bytes = imageData;
        if (!bytes) {
            if (auto encoded = platform::JpegEncoder::encode(*image, 1.0)) {
                bytes = std::make_shared<const std::string>(std::move(*encoded));
            }
        }
        if (!bytes) {
            return;
        }
        if (!platform::FileSystem::isDirectory(diskCachePath_)) {
            platform::FileSystem::createDirectories(diskCachePath_);
        }
        // A failed write leaves the picture to be downloaded again; nothing to report.
        platform::FileSystem::writeFileAtomically(cachePathForKey(key), *bytes);
    });
}

std::shared_ptr<platform::Image> ImageCache::imageFromMemoryCacheForKey(const std::string& key) {
    return memCache_.objectForKey(key);
}

std::shared_ptr<platform::Image> ImageCache::imageFromDiskCacheForKey(const std::string& key) {
    if (auto image = memCache_.objectForKey(key)) {
        return image;
    }
    return readFromDisk(key);
}

void ImageCache::removeImageForKey(const std::string& key, bool fromDisk) {
    if (key.empty()) {
        return;
    }
    memCache_.removeObjectForKey(key);
    if (fromDisk) {
        ioQueue_.async([this, key] { platform::FileSystem::remove(cachePathForKey(key)); });
    }
}

void ImageCache::clearMemory() {
    memCache_.removeAllObjects();
}

void ImageCache::clearDisk() {
    ioQueue_.async([this] {
        platform::FileSystem::remove(diskCachePath_);
        platform::FileSystem::createDirectories(diskCachePath_);
    });
}

void ImageCache::cleanDisk() {
    // The limits are read here, on the caller's thread, and handed to the disk queue.
    const platform::Clock::Date expiration = platform::Clock::dateAdding(
        platform::RunLoop::main().clock().wallNow(), -static_cast<double>(maxCacheAge_));
    const std::uint64_t maxCacheSize = maxCacheSize_;
    ioQueue_.async([this, expiration, maxCacheSize] { cleanDiskBefore(expiration, maxCacheSize); });
}

void ImageCache::cleanDiskBefore(platform::Clock::Date expiration, std::uint64_t maxCacheSize) {
    std::vector<CachedFile> kept;
    std::uint64_t keptSize = 0;
    for (CachedFile& file : listCachedFiles(diskCachePath_)) {
        if (file.modified <= expiration) {
            platform::FileSystem::remove(file.path);
            continue;
        }
        keptSize += file.allocatedSize;
        kept.push_back(std::move(file));
    }
    if (maxCacheSize == 0 || keptSize <= maxCacheSize) {
        return;
    }
    const std::uint64_t target = maxCacheSize / 2;
    std::sort(kept.begin(), kept.end(),
              [](const CachedFile& a, const CachedFile& b) { return a.modified < b.modified; });
    for (const CachedFile& file : kept) {
        if (platform::FileSystem::remove(file.path)) {
            keptSize -= file.allocatedSize;
            if (keptSize < target) {
                break;
            }
        }
    }
}

std::uint64_t ImageCache::getSize() const {
    std::uint64_t total = 0;
    for (const CachedFile& file : listCachedFiles(diskCachePath_)) {
        total += file.size;
    }
    return total;
}

std::size_t ImageCache::getDiskCount() const {
    return listCachedFiles(diskCachePath_).size();
}

void ImageCache::waitForDiskQueue() {
    ioQueue_.waitUntilIdle();
}
