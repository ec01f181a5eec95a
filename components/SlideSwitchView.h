#pragma once

#include "components/SlideSwitchViewDelegate.h"
#include "platform/foundation/ScopedTimer.h"
#include "platform/image/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ScrollViewDelegate.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <string>
#include <vector>

// A strip of tab titles over horizontally paged content, one page per tab. A tap on
// a title or a swipe of the pages selects a tab; the other follows and the delegate
// hears the selected index. The selected tab survives rebuilds (brought into range
// when the tabs get fewer).
//
// Create it with platform::View::create<SlideSwitchView>(frame): it wires its
// scrollers to itself on the first buildUI, which needs the shared owner.
class SlideSwitchView : public platform::View, public platform::ScrollViewDelegate {
public:
    static constexpr double kStripHeight = 44;
    static constexpr double kStripInset = 20;  // the title scroller's margin on both sides
    static constexpr double kTitleGap = 16;    // before the first title and after each
    static constexpr double kTitleFontSize = 15;
    static constexpr double kHintThreshold = 300;  // titles wider than this show the hint images
    static constexpr double kSelectDuration = 0.25;
    static constexpr int kFirstTag = 100;  // title buttons are tagged 100 + index

    explicit SlideSwitchView(platform::Rect frame);
    std::string className() const override { return "SlideSwitchView"; }

    // (Re)builds the titles and pages from the delegate and reports the selected tab.
    void buildUI();
    bool isBuildUI() const { return isBuildUI_; }
    void setIsBuildUI(bool built) { isBuildUI_ = built; }

    const std::vector<std::shared_ptr<platform::ViewController>>& viewArray() const { return viewArray_; }
    const std::vector<std::string>& nameArray() const { return nameArray_; }

    platform::Color tabItemNormalColor() const { return tabItemNormalColor_; }
    void setTabItemNormalColor(platform::Color color) { tabItemNormalColor_ = color; }
    platform::Color tabItemSelectedColor() const { return tabItemSelectedColor_; }
    void setTabItemSelectedColor(platform::Color color) { tabItemSelectedColor_ = color; }
    void setTabItemNormalBackgroundImage(std::shared_ptr<platform::Image> image) {
        tabItemNormalBackgroundImage_ = std::move(image);
    }
    void setTabItemSelectedBackgroundImage(std::shared_ptr<platform::Image> image) {
        tabItemSelectedBackgroundImage_ = std::move(image);
    }

    std::shared_ptr<SlideSwitchViewDelegate> slideSwitchViewDelegate() const { return delegate_.lock(); }
    void setSlideSwitchViewDelegate(std::weak_ptr<SlideSwitchViewDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    // The selected tab as its title button's tag (100 + index).
    int userSelectedChannelID() const { return userSelectedChannelID_; }

    std::shared_ptr<platform::View> topView() const { return topView_; }
    std::shared_ptr<platform::ScrollView> topScrollView() const { return topScrollView_; }
    std::shared_ptr<platform::ScrollView> rootScrollView() const { return rootScrollView_; }
    std::shared_ptr<platform::ImageView> leftGapImage() const { return leftGapImage_; }
    std::shared_ptr<platform::ImageView> rightGapImage() const { return rightGapImage_; }
    // The title button of a tab, or nothing.
    std::shared_ptr<platform::Button> titleButton(std::size_t index) const;

    // Selects the tab of the title button, as a tap on it does.
    void selectNameButton(platform::Button& button);
    // Scrolls the title strip so that the button shows whole.
    void adjustScrollViewContentX(const platform::Button& button);

    void layoutSubviews() override;
    void scrollViewDidEndDecelerating(platform::ScrollView& scrollView) override;

private:
    void initValues();
    void wireScrollers();
    void createNameButtons();
    void scrollHandlePan(platform::GestureRecognizer& recognizer);
    void finishSelection(int tag);
    std::shared_ptr<platform::Button> buttonWithTag(int tag) const;

    std::shared_ptr<platform::View> topView_;
    std::shared_ptr<platform::ImageView> leftGapImage_;
    std::shared_ptr<platform::ImageView> rightGapImage_;
    std::shared_ptr<platform::ScrollView> topScrollView_;
    std::shared_ptr<platform::ScrollView> rootScrollView_;
    std::vector<std::shared_ptr<platform::ViewController>> viewArray_;
    std::vector<std::string> nameArray_;
    std::vector<std::shared_ptr<platform::Button>> buttons_;
    int userSelectedChannelID_ = kFirstTag;
    bool isRootScroll_ = false;
    bool isBuildUI_ = false;
    bool wired_ = false;
    platform::ScopedTimer selectionTimer_;  // the selection animation under way
    platform::Color tabItemNormalColor_ = platform::Color::black();
    platform::Color tabItemSelectedColor_ = platform::Color::black();
    std::shared_ptr<platform::Image> tabItemNormalBackgroundImage_;
    std::shared_ptr<platform::Image> tabItemSelectedBackgroundImage_;
    std::weak_ptr<SlideSwitchViewDelegate> delegate_;
};
