#pragma once

namespace platform {

class ScrollView;

// What a scroll view tells the object that watches it. Every operation is optional.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;

    // After every change of the content offset, whatever moved it.
    virtual void scrollViewDidScroll(ScrollView& /*scrollView*/) {}
    virtual void scrollViewWillBeginDragging(ScrollView& /*scrollView*/) {}
    // The finger has let go; `willDecelerate` tells whether the content still moves.
    virtual void scrollViewDidEndDragging(ScrollView& /*scrollView*/, bool /*willDecelerate*/) {}
    virtual void scrollViewWillBeginDecelerating(ScrollView& /*scrollView*/) {}
    virtual void scrollViewDidEndDecelerating(ScrollView& /*scrollView*/) {}
    // An animated setContentOffset or scrollRectToVisible has come to its end.
    virtual void scrollViewDidEndScrollingAnimation(ScrollView& /*scrollView*/) {}
};

}  // namespace platform
