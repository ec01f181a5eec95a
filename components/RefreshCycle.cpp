#include "components/RefreshCycle.h"

#include "platform/ui/Animation.h"

void RefreshCycle::attach(const std::shared_ptr<platform::TableView>& list, double width) {
    list_ = list;
    if (header_ || !list) {
        return;
    }
    const double h = list->frame().height();
    header_ = platform::View::create<RefreshTableHeaderView>(platform::Rect::make(0, -h, width, h));
    header_->setBackgroundColor(platform::Color::white(0.94));
    header_->setOpaque(true);
    list->addSubview(header_);
}

void RefreshCycle::scrollViewDidScroll(platform::ScrollView& list) {
    if (!header_ || !list.isDragging() || reloading_) {
        return;
    }
    const double y = list.contentOffset().y;
    if (header_->state() == RefreshTableHeaderView::kPulling && y > RefreshTableHeaderView::kTriggerOffset &&
        y < 0) {
        header_->setState(RefreshTableHeaderView::kNormal);
    } else if (header_->state() == RefreshTableHeaderView::kNormal &&
               y < RefreshTableHeaderView::kTriggerOffset) {
        header_->setState(RefreshTableHeaderView::kPulling);
    }
}

void RefreshCycle::scrollViewDidEndDragging(platform::ScrollView& list) {
    if (list.contentOffset().y <= RefreshTableHeaderView::kTriggerOffset && !reloading_) {
        start(list);
    }
}

bool RefreshCycle::startProgrammatically() {
    auto list = list_.lock();
    if (reloading_ || !list) {
        return false;
    }
    list->setContentOffset(platform::Point{list->contentOffset().x, kProgrammaticOffset}, false);
    start(*list);
    return true;
}

void RefreshCycle::start(platform::ScrollView& list) {
    reloading_ = true;
    if (onStart_) {
        onStart_();
    }
    if (header_) {
        header_->setState(RefreshTableHeaderView::kLoading);
    }
    auto held = std::static_pointer_cast<platform::ScrollView>(list.sharedFromThis());
    platform::Animation::animate(RefreshTableHeaderView::kOpenDuration, [held] {
        held->setContentInset(platform::EdgeInsets{RefreshTableHeaderView::kLoadingInset, 0, 0, 0});
    });
}

void RefreshCycle::dataSourceDidFinishLoadingNewData() {
    reloading_ = false;
    if (auto list = list_.lock()) {
        platform::Animation::animate(RefreshTableHeaderView::kCloseDuration,
                                     [list] { list->setContentInset(platform::EdgeInsets{}); });
    }
    if (header_) {
        header_->setState(RefreshTableHeaderView::kNormal);
        header_->setCurrentDate();
    }
}
