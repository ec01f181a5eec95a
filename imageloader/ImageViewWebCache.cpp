#include "imageloader/ImageViewWebCache.h"

#include "imageloader/WebImageManager.h"

#include <unordered_map>

namespace {

// The load each image view is waiting for. Main thread only. An entry leaves when its
// load completes or is cancelled; the key is never dereferenced, so a view that went
// away in the meantime is no danger.
std::unordered_map<const platform::ImageView*, std::shared_ptr<WebImageCombinedOperation>>& currentLoads() {
    static std::unordered_map<const platform::ImageView*, std::shared_ptr<WebImageCombinedOperation>> loads;
    return loads;
}

}  // namespace

void ImageViewWebCache::setImageWithURL(const std::shared_ptr<platform::ImageView>& view,
                                        const std::string& url,
                                        std::shared_ptr<platform::Image> placeholder) {
    if (!view) {
        return;
    }
    cancelCurrentImageLoad(*view);
    view->setImage(std::move(placeholder));
    if (url.empty()) {
        return;
    }
    const platform::ImageView* key = view.get();
    auto& loads = currentLoads();
    // A memory hit completes within the call below and removes this entry; only a
    // load still waiting afterwards is kept with the view.
    loads[key] = nullptr;
    std::weak_ptr<platform::ImageView> weakView = view;
    auto operation = WebImageManager::sharedManager()->downloadWithURL(
        url, 0, nullptr,
        [weakView, key](std::shared_ptr<platform::Image> image, const std::optional<WebImageError>& /*error*/,
                        ImageCacheType /*cacheType*/, bool /*finished*/) {
            currentLoads().erase(key);
            auto view = weakView.lock();
            if (!view || !image) {
                return;  // the placeholder stays
            }
            view->setImage(std::move(image));
            view->setNeedsLayout();
        });
    if (auto waiting = loads.find(key); waiting != loads.end()) {
        waiting->second = std::move(operation);
    }
}

void ImageViewWebCache::cancelCurrentImageLoad(platform::ImageView& view) {
    auto& loads = currentLoads();
    auto found = loads.find(&view);
    if (found == loads.end()) {
        return;
    }
    std::shared_ptr<WebImageCombinedOperation> operation = std::move(found->second);
    loads.erase(found);
    if (operation) {
        operation->cancel();
    }
}
