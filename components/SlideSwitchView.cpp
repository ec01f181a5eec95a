#include "components/SlideSwitchView.h"

#include "components/BrandColor.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Font.h"

#include <cmath>

SlideSwitchView::SlideSwitchView(platform::Rect frame) : View(frame) {
    initValues();
}

void SlideSwitchView::initValues() {
    const double w = frame().width();
    const double h = frame().height();

    topView_ = platform::View::create<platform::View>(platform::Rect::make(0, 0, w, kStripHeight));
    topView_->setBackgroundColor(brandColor());
    topView_->setAutoresizingMask(platform::FlexibleWidth);
    addSubview(topView_);

    leftGapImage_ = platform::View::create<platform::ImageView>(platform::Rect::make(5, 15, 14, 14),
                                                                platform::Image::named("news_left.png"));
    leftGapImage_->setHidden(true);
    topView_->addSubview(leftGapImage_);
    rightGapImage_ = platform::View::create<platform::ImageView>(platform::Rect::make(w - 19, 15, 14, 14),
                                                                 platform::Image::named("newsRight.png"));
    rightGapImage_->setAutoresizingMask(platform::FlexibleLeftMargin);
    rightGapImage_->setHidden(true);
    topView_->addSubview(rightGapImage_);

    topScrollView_ = platform::View::create<platform::ScrollView>(
        platform::Rect::make(kStripInset, 0, w - 2 * kStripInset, kStripHeight));
    topScrollView_->setBackgroundColor(platform::Color::clear());
    topScrollView_->setPagingEnabled(false);
    topScrollView_->setShowsHorizontalScrollIndicator(false);
    topScrollView_->setShowsVerticalScrollIndicator(false);
    topScrollView_->setAutoresizingMask(platform::FlexibleWidth);
    topView_->addSubview(topScrollView_);

    rootScrollView_ = platform::View::create<platform::ScrollView>(
        platform::Rect::make(0, kStripHeight, w, h - kStripHeight));
    rootScrollView_->setPagingEnabled(true);
    rootScrollView_->setBounces(false);
    rootScrollView_->setShowsHorizontalScrollIndicator(false);
    rootScrollView_->setShowsVerticalScrollIndicator(false);
    rootScrollView_->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    addSubview(rootScrollView_);

    userSelectedChannelID_ = kFirstTag;
    viewArray_.clear();
    nameArray_.clear();
    isBuildUI_ = false;
}

// The scrollers hold the switcher weakly, which needs its shared owner: so this
// waits for the first build rather than running in the constructor.
void SlideSwitchView::wireScrollers() {
    if (wired_) {
        return;
    }
    auto self = std::static_pointer_cast<SlideSwitchView>(weak_from_this().lock());
    if (!self) {
        return;
    }
    wired_ = true;
    std::weak_ptr<SlideSwitchView> weak = self;
    topScrollView_->setDelegate(weak);
    rootScrollView_->setDelegate(weak);
    rootScrollView_->panGestureRecognizer()->addAction([weak](platform::GestureRecognizer& recognizer) {
        if (auto strong = weak.lock()) {
            strong->scrollHandlePan(recognizer);
        }
    });
}

void SlideSwitchView::buildUI() {
    wireScrollers();
    // A selection still animating belongs to the tabs that are about to go.
    selectionTimer_.cancel();
    isRootScroll_ = false;

    for (const auto& page : viewArray_) {
        if (page->isViewLoaded()) {
            page->view()->removeFromSuperview();
        }
    }
    viewArray_.clear();
    for (const auto& button : buttons_) {
        button->removeFromSuperview();
    }
    buttons_.clear();
    nameArray_.clear();

    auto owner = slideSwitchViewDelegate();
    if (owner) {
        const std::size_t count = owner->numberOfTab(*this);
        for (std::size_t i = 0; i < count; ++i) {
            auto page = owner->viewOfTab(*this, i);
            if (!page) {
                continue;
            }
            viewArray_.push_back(page);
            rootScrollView_->addSubview(page->view());
        }
        for (std::size_t i = 0; i < viewArray_.size(); ++i) {
            nameArray_.push_back(owner->titleOfIndex(i));
        }
    }

    // The kept selection may point past the new tabs: the last tab stands in for it,
    // so that the owner is never told of a page that does not exist.
    const int tabs = static_cast<int>(viewArray_.size());
    if (userSelectedChannelID_ - kFirstTag >= tabs) {
        userSelectedChannelID_ = kFirstTag + std::max(tabs - 1, 0);
    }

    createNameButtons();

    if (owner && tabs > 0) {
        owner->didselectTab(*this, static_cast<std::size_t>(userSelectedChannelID_ - kFirstTag));
    }
    isBuildUI_ = true;
    setNeedsLayout();
}

void SlideSwitchView::createNameButtons() {
    const platform::Font font = platform::Font::systemFont(kTitleFontSize);
    const double stripWidth = topScrollView_->frame().width();
    std::weak_ptr<View> weak = weak_from_this();
    double x = kTitleGap;
    for (std::size_t i = 0; i < nameArray_.size(); ++i) {
        const std::string& title = nameArray_[i];
        const double width = font.sizeOfText(title, platform::Size{stripWidth, kStripHeight}).width;
        auto button =
            platform::View::create<platform::Button>(platform::Rect::make(x, 0, width, kStripHeight));
        button->setTag(kFirstTag + static_cast<int>(i));
        button->setTitle(title, platform::ControlStateNormal);
        button->titleLabel()->setFont(font);
        button->titleLabel()->setLineBreakMode(platform::LineBreakMode::TailTruncation);
        button->setTitleColor(tabItemNormalColor_, platform::ControlStateNormal);
        button->setTitleColor(tabItemSelectedColor_, platform::ControlStateSelected);
        button->setBackgroundImage(tabItemNormalBackgroundImage_, platform::ControlStateNormal);
        button->setBackgroundImage(tabItemSelectedBackgroundImage_, platform::ControlStateSelected);
        button->addAction(
            [weak](platform::Control& sender) {
                if (auto strong = weak.lock()) {
                    static_cast<SlideSwitchView&>(*strong).selectNameButton(
                        static_cast<platform::Button&>(sender));
                }
            },
            platform::TouchUpInside);
        // The marked title is the kept selection's, so title and page agree after a rebuild.
        button->setSelected(button->tag() == userSelectedChannelID_);
        topScrollView_->addSubview(button);
        buttons_.push_back(button);
        x += width + kTitleGap;
    }
    topScrollView_->setContentSize(platform::Size{x, kStripHeight});
    const bool wide = x > kHintThreshold;
    leftGapImage_->setHidden(!wide);
    rightGapImage_->setHidden(!wide);
}

std::shared_ptr<platform::Button> SlideSwitchView::titleButton(std::size_t index) const {
    return index < buttons_.size() ? buttons_[index] : nullptr;
}

std::shared_ptr<platform::Button> SlideSwitchView::buttonWithTag(int tag) const {
    if (tag < kFirstTag) {
        return nullptr;
    }
    return titleButton(static_cast<std::size_t>(tag - kFirstTag));
}

void SlideSwitchView::layoutSubviews() {
    if (!isBuildUI_) {
        return;
    }
    const double w = frame().width();
    const platform::Size area = rootScrollView_->frame().size;
    rootScrollView_->setContentSize(platform::Size{w * static_cast<double>(viewArray_.size()), area.height});
    for (std::size_t i = 0; i < viewArray_.size(); ++i) {
        viewArray_[i]->view()->setFrame(
            platform::Rect::make(static_cast<double>(i) * area.width, 0, area.width, area.height));
    }
    rootScrollView_->setContentOffset(
        platform::Point{static_cast<double>(userSelectedChannelID_ - kFirstTag) * w, 0}, false);
    if (auto selected = buttonWithTag(userSelectedChannelID_)) {
        adjustScrollViewContentX(*selected);
    }
}

void SlideSwitchView::adjustScrollViewContentX(const platform::Button& button) {
    const double x = button.frame().minX();
    const double width = button.frame().width();
    const double stripWidth = topScrollView_->frame().width();
    if (x - topScrollView_->contentOffset().x > frame().width() - (width + kTitleGap)) {
        topScrollView_->setContentOffset(platform::Point{x - (stripWidth - (width + kTitleGap)), 0}, true);
    }
    if (x - topScrollView_->contentOffset().x < kTitleGap) {
        topScrollView_->setContentOffset(platform::Point{x - kTitleGap, 0}, true);
    }
}

void SlideSwitchView::selectNameButton(platform::Button& button) {
    adjustScrollViewContentX(button);
    if (button.tag() != userSelectedChannelID_) {
        if (auto old = buttonWithTag(userSelectedChannelID_)) {
            old->setSelected(false);
        }
        userSelectedChannelID_ = button.tag();
    }
    if (button.isSelected()) {
        // Nothing more to apply: a swipe that settled on the selected page must not
        // leave its flag behind, or the next title tap would not move the pages.
        isRootScroll_ = false;
        return;
    }
    button.setSelected(true);
    const int tag = button.tag();
    std::weak_ptr<View> weak = weak_from_this();
    selectionTimer_ = platform::Animation::animate(kSelectDuration, {}, [weak, tag](bool finished) {
        auto strong = weak.lock();
        if (strong && finished) {
            static_cast<SlideSwitchView&>(*strong).finishSelection(tag);
        }
    });
}

void SlideSwitchView::finishSelection(int tag) {
    if (!isRootScroll_) {
        rootScrollView_->setContentOffset(
            platform::Point{static_cast<double>(tag - kFirstTag) * frame().width(), 0}, false);
    }
    isRootScroll_ = false;
    if (auto owner = slideSwitchViewDelegate()) {
        owner->didselectTab(*this, static_cast<std::size_t>(tag - kFirstTag));
    }
}

void SlideSwitchView::scrollViewDidEndDecelerating(platform::ScrollView& scrollView) {
    if (&scrollView != rootScrollView_.get()) {
        return;
    }
    isRootScroll_ = true;
    const double width = frame().width();
    const int page =
        width > 0 ? static_cast<int>(std::trunc(std::trunc(scrollView.contentOffset().x) / width)) : 0;
    auto button = page >= 0 ? buttonWithTag(kFirstTag + page) : nullptr;
    if (!button) {
        isRootScroll_ = false;
        return;
    }
    selectNameButton(*button);
}

void SlideSwitchView::scrollHandlePan(platform::GestureRecognizer& /*recognizer*/) {
    auto owner = slideSwitchViewDelegate();
    if (!owner) {
        return;
    }
    auto& pan = *rootScrollView_->panGestureRecognizer();
    const double x = rootScrollView_->contentOffset().x;
    if (x <= 0) {
        owner->panLeftEdge(*this, pan);
    } else if (x >= rootScrollView_->contentSize().width - rootScrollView_->frame().width()) {
        owner->panRightEdge(*this, pan);
    }
}
