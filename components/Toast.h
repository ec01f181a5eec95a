#pragma once

#include "components/ToastView.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class Control;
}

// A short text in a dark rounded box over the main window, for one second. A shown
// toast keeps itself alive through its own timers until its box has been removed;
// the box's tap action holds it only weakly, so a box left on a window never keeps
// a toast alive or calls into a gone one.
//
// show() needs the toast to be owned by a std::shared_ptr (makeToast, or
// std::make_shared): a toast that is not cannot keep itself alive, and shows nothing.
class Toast : public std::enable_shared_from_this<Toast> {
public:
    static constexpr int kPositionTop = 0;
    static constexpr int kPositionCenter = 1;
    static constexpr int kPositionBottom = 2;
    static constexpr int kDefaultDuration = 1000;  // milliseconds
    // The faded box stays on the window this long before it is removed, as on the platform.
    static constexpr double kRemoveDelay = 500;  // seconds
    static constexpr double kFontSize = 16;
    static constexpr double kMaxTextWidth = 280;
    static constexpr double kMaxTextHeight = 60;

    Toast();
    explicit Toast(std::string text);

    // A toast with the text and the defaults (centre, one second), shown at once.
    static std::shared_ptr<Toast> showToastWithText(std::string text);
    // A toast with the text and the defaults, not shown yet.
    static std::shared_ptr<Toast> makeToast(std::string text);

    int toastPosition() const { return toastPosition_; }
    void setToastPosition(int position) { toastPosition_ = position; }
    int toastDuration() const { return toastDuration_; }
    void setToastDuration(int milliseconds) { toastDuration_ = milliseconds; }
    const std::string& toastText() const { return toastText_; }
    void setToastText(std::string text) { toastText_ = std::move(text); }
    // The box on screen once shown.
    std::shared_ptr<ToastView> view() const { return view_; }

    // Puts the box on the application's first window and starts the display timer.
    void show();
    // A tap on the box.
    void hideToast(platform::Control* sender);
    // The display timer ran out.
    void onHideToast();
    // Fades the box out and schedules its removal.
    void doHideToast();
    // Takes the faded box off the window.
    void onRemoveToast();

    // Texts of the toasts a person can see now (boxes in a window, not faded), front-most last.
    static std::vector<std::string> visibleToastTexts();

private:
    platform::Point placement(const platform::View& window, platform::Size boxSize) const;

    int toastPosition_ = kPositionCenter;
    int toastDuration_ = kDefaultDuration;
    std::string toastText_;
    std::shared_ptr<ToastView> view_;
    bool hiding_ = false;
    // Counts the times the toast was shown, so that the timers of an earlier showing do nothing.
    unsigned generation_ = 0;
};
