#include "imageloader/ImageViewWebCache.h"

void ImageViewWebCache::setImageWithURL(const std::shared_ptr<platform::ImageView>& view,
                                        const std::string& url,
                                        std::shared_ptr<platform::Image> placeholder) {
    if (!view) {
        return;
    }
    cancelCurrentImageLoad(*view);
    view->setImage(std::move(placeholder));
    // Pictures are not loaded yet: the placeholder stays.
    (void)url;
}

void ImageViewWebCache::cancelCurrentImageLoad(platform::ImageView& view) {
    (void)view;
}
