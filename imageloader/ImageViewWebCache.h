#pragma once

#include "platform/image/Image.h"
#include "platform/ui/ImageView.h"

#include <memory>
#include <string>

// The view call of the image loader: puts a remote picture into an image view.
// Main thread only. The image view keeps nothing of the loader alive; a load
// whose view has gone away is dropped on arrival.
class ImageViewWebCache {
public:
    // Cancels the view's previous load, shows the placeholder at once, then the picture of `url`
    // when it arrives (and the view still exists). Empty or invalid url: placeholder only.
    // A reused table cell therefore never receives the picture of the row it showed before.
    static void setImageWithURL(const std::shared_ptr<platform::ImageView>& view, const std::string& url,
                                std::shared_ptr<platform::Image> placeholder);
    // Cancels and forgets the view's load in progress, if any; the view keeps what it shows.
    static void cancelCurrentImageLoad(platform::ImageView& view);
};
