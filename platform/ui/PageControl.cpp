#include "platform/ui/PageControl.h"

#include "platform/foundation/Json.h"

#include <algorithm>

namespace platform {

PageControl::PageControl(Rect frame) : Control(frame) {}

void PageControl::setNumberOfPages(int pages) {
    numberOfPages_ = std::max(0, pages);
    setCurrentPage(currentPage_);
}

void PageControl::setCurrentPage(int page) {
    currentPage_ = std::clamp(page, 0, std::max(0, numberOfPages_ - 1));
    displayedPage_ = currentPage_;
}

Size PageControl::sizeForNumberOfPages(int pages) {
    return Size{std::max(0, pages) * kDotSpacing, kHeight};
}

Size PageControl::sizeThatFits(Size) const {
    return sizeForNumberOfPages(numberOfPages_);
}

std::shared_ptr<View> PageControl::hitTest(Point point) {
    if (isHiddenForSinglePage()) {
        return nullptr;
    }
    return Control::hitTest(point);
}

void PageControl::touchesEnded(const Touch& touch) {
    bool wasTracking = tracking_;
    Point local = touch.locationIn(*this);
    bool inside = isInsideForTracking(local);
    if (wasTracking && inside && isEnabled()) {
        int target = std::clamp(currentPage_ + (local.x < bounds().midX() ? -1 : 1), 0,
                                std::max(0, numberOfPages_ - 1));
        if (target != currentPage_) {
            currentPage_ = target;
            if (!defersCurrentPageDisplay_) {
                displayedPage_ = target;
            }
            sendActionsForControlEvents(ValueChanged);
        }
    }
    Control::touchesEnded(touch);
}

Value PageControl::screenEntry() const {
    if (isHiddenForSinglePage()) {
        return nullptr;
    }
    return Value{{"kind", "pages"}, {"count", numberOfPages_}, {"current", currentPage_}};
}

void PageControl::describe(Value& node) const {
    Control::describe(node);
    node["pages"] = numberOfPages_;
    node["current"] = displayedPage_;
    if (isHiddenForSinglePage()) {
        node["hidden"] = true;
    }
    if (pageIndicatorTintColor_) {
        node["dotColor"] = pageIndicatorTintColor_->css();
    }
    if (currentPageIndicatorTintColor_) {
        node["currentDotColor"] = currentPageIndicatorTintColor_->css();
    }
}

}  // namespace platform
