#pragma once

#include "platform/foundation/Clock.h"

#include <optional>

class RefreshTableHeaderView;

// The optional partner of a pull-to-refresh header in its self-driving mode. Every
// operation has the answer the header assumes when the partner stays silent.
class RefreshTableHeaderDelegate {
public:
    virtual ~RefreshTableHeaderDelegate() = default;

    // A pull was released far enough: the partner starts its reload.
    virtual void refreshTableHeaderDidTriggerRefresh(RefreshTableHeaderView& /*view*/) {}
    // Whether a reload is under way (asked while dragging and at release).
    virtual bool refreshTableHeaderDataSourceIsLoading(RefreshTableHeaderView& /*view*/) { return false; }
    // When the data was last updated; nothing clears the last-update line.
    virtual std::optional<platform::Clock::Date> refreshTableHeaderDataSourceLastUpdated(
        RefreshTableHeaderView& /*view*/) {
        return std::nullopt;
    }
};
