#include "platform/ui/ScrollViewPanGestureRecognizer.h"

#include "platform/ui/ScrollView.h"

namespace platform {

void ScrollViewPanGestureRecognizer::began(const Touch& touch) {
    PanGestureRecognizer::began(touch);
    auto* scrollView = static_cast<ScrollView*>(view());
    stoppedScrolling_ = scrollView && scrollView->panTouchDown();
}

bool ScrollViewPanGestureRecognizer::shouldBegin(const Touch& touch, Point translation) {
    auto* scrollView = static_cast<ScrollView*>(view());
    return scrollView && scrollView->panShouldBegin(touch, translation);
}

void ScrollViewPanGestureRecognizer::touchFinished(const Touch&) {
    if (auto* scrollView = static_cast<ScrollView*>(view())) {
        scrollView->panTouchFinished();
    }
    stoppedScrolling_ = false;
}

}  // namespace platform
