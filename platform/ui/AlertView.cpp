#include "platform/ui/AlertView.h"

#include <algorithm>

namespace platform {
namespace {

std::vector<std::shared_ptr<AlertView>>& shown() {
    static std::vector<std::shared_ptr<AlertView>> alerts;
    return alerts;
}

}  // namespace

AlertView::AlertView(std::string title, std::string message, std::weak_ptr<AlertViewDelegate> delegate,
                     std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles)
    : title_(std::move(title)), message_(std::move(message)), delegate_(std::move(delegate)) {
    if (cancelButtonTitle) {
        cancelIndex_ = 0;
        buttons_.push_back(std::move(*cancelButtonTitle));
    }
    for (auto& other : otherButtonTitles) {
        buttons_.push_back(std::move(other));
    }
}

std::shared_ptr<AlertView> AlertView::create(std::string title, std::string message,
                                             std::weak_ptr<AlertViewDelegate> delegate,
                                             std::optional<std::string> cancelButtonTitle,
                                             std::vector<std::string> otherButtonTitles) {
    return std::make_shared<AlertView>(std::move(title), std::move(message), std::move(delegate),
                                       std::move(cancelButtonTitle), std::move(otherButtonTitles));
}

std::string AlertView::buttonTitleAtIndex(int index) const {
    if (index < 0 || index >= numberOfButtons()) {
        return {};
    }
    return buttons_[static_cast<std::size_t>(index)];
}

int AlertView::addButtonWithTitle(std::string title) {
    buttons_.push_back(std::move(title));
    return numberOfButtons() - 1;
}

void AlertView::show() {
    if (!isVisible()) {
        shown().push_back(shared_from_this());
    }
}

bool AlertView::isVisible() const {
    const auto& alerts = shown();
    return std::any_of(alerts.begin(), alerts.end(), [&](const auto& a) { return a.get() == this; });
}

void AlertView::removeFromScreen() {
    auto& alerts = shown();
    alerts.erase(std::remove_if(alerts.begin(), alerts.end(), [&](const auto& a) { return a.get() == this; }),
                 alerts.end());
}

bool AlertView::clickButtonAtIndex(int index) {
    if (index < 0 || index >= numberOfButtons() || !isVisible()) {
        return false;
    }
    auto keep = shared_from_this();
    if (auto delegate = delegate_.lock()) {
        delegate->clickedButtonAtIndex(*this, index);
    }
    dismissWithClickedButtonIndex(index, true);
    return true;
}

void AlertView::dismissWithClickedButtonIndex(int index, bool) {
    if (!isVisible()) {
        return;
    }
    auto keep = shared_from_this();
    if (auto delegate = delegate_.lock()) {
        delegate->willDismissWithButtonIndex(*this, index);
    }
    removeFromScreen();
    if (auto delegate = delegate_.lock()) {
        delegate->didDismissWithButtonIndex(*this, index);
    }
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts() {
    return shown();
}

std::shared_ptr<AlertView> AlertView::frontAlert() {
    const auto& alerts = shown();
    return alerts.empty() ? nullptr : alerts.back();
}

void AlertView::dismissAll() {
    shown().clear();
}

}  // namespace platform
