#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class AlertView;

// Hears the answer to an alert.
class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    virtual void clickedButtonAtIndex(AlertView& /*alert*/, int /*buttonIndex*/) {}
    virtual void willDismissWithButtonIndex(AlertView& /*alert*/, int /*buttonIndex*/) {}
    virtual void didDismissWithButtonIndex(AlertView& /*alert*/, int /*buttonIndex*/) {}
};

// A question to the user with a title, a message and buttons, the cancel button
// first. While shown it is the front-most thing on screen and takes every touch;
// it keeps itself alive until answered or dismissed. The delegate is held weakly.
class AlertView : public std::enable_shared_from_this<AlertView> {
public:
    AlertView(std::string title, std::string message, std::weak_ptr<AlertViewDelegate> delegate,
              std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles);
    static std::shared_ptr<AlertView> create(std::string title, std::string message,
                                             std::weak_ptr<AlertViewDelegate> delegate,
                                             std::optional<std::string> cancelButtonTitle,
                                             std::vector<std::string> otherButtonTitles = {});

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    std::weak_ptr<AlertViewDelegate> delegate() const { return delegate_; }
    int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
    std::string buttonTitleAtIndex(int index) const;
    const std::vector<std::string>& buttonTitles() const { return buttons_; }
    // -1 when the alert has no cancel button.
    int cancelButtonIndex() const { return cancelIndex_; }
    int addButtonWithTitle(std::string title);

    void show();
    bool isVisible() const;
    // A person's tap on a button: the delegate hears the click, then the dismissal.
    // Returns false for an index that is no button.
    bool clickButtonAtIndex(int index);
    // Goes away as if that button had been chosen, without a click.
    void dismissWithClickedButtonIndex(int index, bool animated);

    // Alerts on screen now, front-most last.
    static std::vector<std::shared_ptr<AlertView>> visibleAlerts();
    static std::shared_ptr<AlertView> frontAlert();
    static void dismissAll();

private:
    void removeFromScreen();

    std::string title_;
    std::string message_;
    std::weak_ptr<AlertViewDelegate> delegate_;
    std::vector<std::string> buttons_;
    int cancelIndex_ = -1;
    int tag_ = 0;
};

}  // namespace platform
