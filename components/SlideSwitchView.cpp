#include "components/SlideSwitchView.h"

SlideSwitchView::SlideSwitchView(platform::Rect frame) : View(frame) {
    initValues();
}

void SlideSwitchView::initValues() {
    topView_ =
        platform::View::create<platform::View>(platform::Rect::make(0, 0, frame().width(), kStripHeight));
    topScrollView_ = platform::View::create<platform::ScrollView>();
    rootScrollView_ = platform::View::create<platform::ScrollView>();
    leftGapImage_ = platform::View::create<platform::ImageView>();
    rightGapImage_ = platform::View::create<platform::ImageView>();
}

void SlideSwitchView::buildUI() {
    isBuildUI_ = true;
}

std::shared_ptr<platform::Button> SlideSwitchView::titleButton(std::size_t index) const {
    return index < buttons_.size() ? buttons_[index] : nullptr;
}

void SlideSwitchView::selectNameButton(platform::Button& /*button*/) {}
void SlideSwitchView::adjustScrollViewContentX(const platform::Button& /*button*/) {}
void SlideSwitchView::layoutSubviews() {}
void SlideSwitchView::scrollViewDidEndDecelerating(platform::ScrollView& /*scrollView*/) {}
void SlideSwitchView::wireScrollers() {}
void SlideSwitchView::createNameButtons() {}
void SlideSwitchView::scrollHandlePan(platform::GestureRecognizer& /*recognizer*/) {}
void SlideSwitchView::finishSelection(int /*tag*/) {}
