#pragma once

#include "components/RefreshTableHeaderView.h"
#include "platform/ui/TableView.h"

#include <functional>
#include <memory>

// The refresh cycle every refreshable list runs with its header: tracking while the
// user drags, a refresh on release far enough down (or started by the screen), the
// list held open while it runs, and closing with the time of the refresh.
class RefreshCycle {
public:
    // How long a screen's reloadTableViewDataSource waits before doneLoadingTableViewData.
    static constexpr double kReloadDelay = 2.0;
    // Where the list is put when the screen starts a refresh itself.
    static constexpr double kProgrammaticOffset = -60;

    // Creates the header above `list` (frame 0, -h, width, h; opaque grey 0.94) unless
    // one exists.
    void attach(const std::shared_ptr<platform::TableView>& list, double width);
    std::shared_ptr<RefreshTableHeaderView> header() const { return header_; }
    bool reloading() const { return reloading_; }

    // Called when a refresh starts (the screen's reloadTableViewDataSource).
    void setOnStart(std::function<void()> reloadTableViewDataSource) {
        onStart_ = std::move(reloadTableViewDataSource);
    }

    // The list's scroll callbacks, forwarded by the screen.
    void scrollViewDidScroll(platform::ScrollView& list);
    void scrollViewDidEndDragging(platform::ScrollView& list);
    // The screen's own start (staleness check, opening refresh); false when one is running.
    bool startProgrammatically();
    // Closing: the list returns to its place and the header shows the refresh time.
    void dataSourceDidFinishLoadingNewData();

private:
    void start(platform::ScrollView& list);

    std::weak_ptr<platform::TableView> list_;
    std::shared_ptr<RefreshTableHeaderView> header_;
    bool reloading_ = false;
    std::function<void()> onStart_;
};
