#include "components/RefreshTableHeaderView.h"

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Animation.h"

#include <algorithm>
#include <numbers>

namespace {

const platform::Color kTextColor{0.52, 0.64, 0.74, 1.0};

std::shared_ptr<platform::Label> makeLine(platform::Rect frame, platform::Font font) {
    auto label = platform::View::create<platform::Label>(frame);
    label->setAutoresizingMask(platform::FlexibleWidth);
    label->setFont(font);
    label->setTextColor(kTextColor);
    label->setShadowOffset(platform::Size{0, 1});
    label->setBackgroundColor(platform::Color::clear());
    label->setTextAlignment(platform::TextAlignment::Center);
    return label;
}

void setInsetTop(platform::ScrollView& scrollView, double top) {
    scrollView.setContentInset(platform::EdgeInsets{top, 0, 0, 0});
}

}  // namespace

RefreshTableHeaderView::RefreshTableHeaderView(platform::Rect frame) : View(frame) {
    const double w = frame.width();
    const double h = frame.height();
    setAutoresizingMask(platform::FlexibleWidth);
    setBackgroundColor(platform::Color::clear());

    lastUpdatedLabel_ = makeLine(platform::Rect::make(0, h - 30, w, 20), platform::Font::systemFont(12));
    addSubview(lastUpdatedLabel_);

    statusLabel_ = makeLine(platform::Rect::make(0, h - 48, w, 20), platform::Font::boldSystemFont(13));
    addSubview(statusLabel_);

    arrowImage_ = platform::View::create<platform::ImageView>(platform::Rect::make(25, h - 65, 30, 55),
                                                              platform::Image::named("indicatorArrow.png"));
    arrowImage_->setContentMode(platform::ContentMode::ScaleAspectFit);
    addSubview(arrowImage_);

    activityView_ =
        platform::View::create<platform::ActivityIndicatorView>(platform::ActivityIndicatorStyle::Gray);
    activityView_->setFrame(platform::Rect::make(25, h - 38, 20, 20));
    addSubview(activityView_);

    setState(kNormal);
}

void RefreshTableHeaderView::setState(int state) {
    switch (state) {
        case kPulling:
            statusLabel_->setText(kPullingText);
            platform::Animation::animate(kArrowFlipDuration,
                                         [arrow = arrowImage_] { arrow->setRotation(std::numbers::pi); });
            break;
        case kNormal:
            if (state_ == kPulling) {
                platform::Animation::animate(kArrowFlipDuration,
                                             [arrow = arrowImage_] { arrow->setRotation(0); });
            }
            statusLabel_->setText(kNormalText);
            activityView_->stopAnimating();
            arrowImage_->setHidden(false);
            arrowImage_->setRotation(0);
            refreshLastUpdatedDate();
            break;
        case kLoading:
            statusLabel_->setText(kLoadingText);
            activityView_->startAnimating();
            arrowImage_->setHidden(true);
            break;
        default: break;
    }
    state_ = state;
}

void RefreshTableHeaderView::refreshLastUpdatedDate() {
    auto partner = delegate();
    std::optional<platform::Clock::Date> date;
    if (partner) {
        date = partner->refreshTableHeaderDataSourceLastUpdated(*this);
    }
    if (!date) {
        lastUpdatedLabel_->setText("");
        return;
    }
    const platform::DateFormatter formatter("yyyy-MM-dd HH:mm");
    lastUpdatedLabel_->setText("上次更新时间: " + formatter.stringFromDate(*date));
    storeLastRefreshText();
}

void RefreshTableHeaderView::setCurrentDate() {
    const platform::DateFormatter formatter("MM/dd/yyyy hh:mm a");
    const auto now = platform::RunLoop::main().clock().wallNow();
    lastUpdatedLabel_->setText("上次刷新: " + formatter.stringFromDate(now));
    storeLastRefreshText();
}

void RefreshTableHeaderView::storeLastRefreshText() {
    auto& defaults = platform::UserDefaults::standard();
    defaults.setObject(platform::Value(lastUpdatedLabel_->text()), kLastRefreshKey);
    defaults.synchronize();
}

bool RefreshTableHeaderView::delegateIsLoading() {
    auto partner = delegate();
    return partner && partner->refreshTableHeaderDataSourceIsLoading(*this);
}

void RefreshTableHeaderView::refreshScrollViewDidScroll(platform::ScrollView& scrollView) {
    const double y = scrollView.contentOffset().y;
    if (state_ == kLoading) {
        setInsetTop(scrollView, std::min(std::max(-y, 0.0), kLoadingInset));
        return;
    }
    if (!scrollView.isDragging()) {
        return;
    }
    const bool loading = delegateIsLoading();
    if (state_ == kPulling && y > kTriggerOffset && y < 0 && !loading) {
        setState(kNormal);
    } else if (state_ == kNormal && y < kTriggerOffset && !loading) {
        setState(kPulling);
    }
    if (scrollView.contentInset().top != 0) {
        scrollView.setContentInset(platform::EdgeInsets{});
    }
}

void RefreshTableHeaderView::refreshScrollViewDidEndDragging(platform::ScrollView& scrollView) {
    const bool loading = delegateIsLoading();
    if (scrollView.contentOffset().y > kTriggerOffset || loading) {
        return;
    }
    if (auto partner = delegate()) {
        partner->refreshTableHeaderDidTriggerRefresh(*this);
    }
    setState(kLoading);
    auto list = std::static_pointer_cast<platform::ScrollView>(scrollView.sharedFromThis());
    platform::Animation::animate(kOpenDuration, [list] { setInsetTop(*list, kLoadingInset); });
}

void RefreshTableHeaderView::refreshScrollViewDataSourceDidFinishedLoading(platform::ScrollView& scrollView) {
    auto list = std::static_pointer_cast<platform::ScrollView>(scrollView.sharedFromThis());
    platform::Animation::animate(kCloseDuration, [list] { list->setContentInset(platform::EdgeInsets{}); });
    setState(kNormal);
}
