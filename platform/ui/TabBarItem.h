#pragma once

#include "platform/image/Image.h"

#include <memory>
#include <string>

namespace platform {

// The title, picture and tag that a screen shows in the tab bar. The "finished"
// pictures, when set, are shown as they are instead of the tinted picture.
class TabBarItem {
public:
    TabBarItem(std::string title, std::shared_ptr<Image> image, int tag)
        : title_(std::move(title)), image_(std::move(image)), tag_(tag) {}

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    std::shared_ptr<Image> image() const { return image_; }
    void setImage(std::shared_ptr<Image> image) { image_ = std::move(image); }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    void setFinishedSelectedImage(std::shared_ptr<Image> selected, std::shared_ptr<Image> unselected) {
        finishedSelected_ = std::move(selected);
        finishedUnselected_ = std::move(unselected);
    }
    std::shared_ptr<Image> finishedSelectedImage() const { return finishedSelected_; }
    std::shared_ptr<Image> finishedUnselectedImage() const { return finishedUnselected_; }

private:
    std::string title_;
    std::shared_ptr<Image> image_;
    int tag_ = 0;
    std::shared_ptr<Image> finishedSelected_;
    std::shared_ptr<Image> finishedUnselected_;
};

}  // namespace platform
