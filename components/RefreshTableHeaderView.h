#pragma once

#include "components/RefreshTableHeaderDelegate.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

#include <memory>
#include <string>

// The pull-to-refresh header that sits just above a list's first row. Everything is
// laid out from its bottom edge, the part a pulling user sees first. Screens usually
// drive it through RefreshCycle; the refreshScrollView* operations are its own
// self-driving mode for a list that forwards its scrolling and sets a delegate.
class RefreshTableHeaderView : public platform::View {
public:
    static constexpr int kPulling = 0;
    static constexpr int kNormal = 1;
    static constexpr int kLoading = 2;

    // A release at this pull distance or further starts a refresh.
    static constexpr double kTriggerOffset = -65;
    // How far the list stays pulled down while a refresh runs.
    static constexpr double kLoadingInset = 60;
    static constexpr double kArrowFlipDuration = 0.18;
    static constexpr double kOpenDuration = 0.2;
    static constexpr double kCloseDuration = 0.3;

    static constexpr const char* kPullingText = "释放立即刷新...";
    static constexpr const char* kNormalText = "下拉刷新...";
    static constexpr const char* kLoadingText = "正在刷新...";
    static constexpr const char* kLastRefreshKey = "RefreshTableView_LastRefresh";

    explicit RefreshTableHeaderView(platform::Rect frame);
    std::string className() const override { return "RefreshTableHeaderView"; }

    int state() const { return state_; }
    // Any value is stored; only 0 to 2 change what the header shows.
    void setState(int state);

    // "上次刷新: " with the current local time ("MM/dd/yyyy hh:mm a"), also stored in the preferences.
    void setCurrentDate();
    // "上次更新时间: " with the delegate's date, or an empty line when it gives none.
    void refreshLastUpdatedDate();

    std::shared_ptr<RefreshTableHeaderDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<RefreshTableHeaderDelegate> delegate) { delegate_ = std::move(delegate); }

    // Self-driving mode.
    void refreshScrollViewDidScroll(platform::ScrollView& scrollView);
    void refreshScrollViewDidEndDragging(platform::ScrollView& scrollView);
    void refreshScrollViewDataSourceDidFinishedLoading(platform::ScrollView& scrollView);

    const std::shared_ptr<platform::Label>& statusLabel() const { return statusLabel_; }
    const std::shared_ptr<platform::Label>& lastUpdatedLabel() const { return lastUpdatedLabel_; }
    const std::shared_ptr<platform::ImageView>& arrowImage() const { return arrowImage_; }
    const std::shared_ptr<platform::ActivityIndicatorView>& activityView() const { return activityView_; }

private:
    void storeLastRefreshText();
    bool delegateIsLoading();

    std::weak_ptr<RefreshTableHeaderDelegate> delegate_;
    int state_ = kNormal;
    std::shared_ptr<platform::Label> statusLabel_;
    std::shared_ptr<platform::Label> lastUpdatedLabel_;
    std::shared_ptr<platform::ImageView> arrowImage_;
    std::shared_ptr<platform::ActivityIndicatorView> activityView_;
};
