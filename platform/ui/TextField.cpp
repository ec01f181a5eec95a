#include "platform/ui/TextField.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

}  // namespace

TextField::TextField(Rect frame) : Control(frame) {}

std::string TextField::displayedText() const {
    if (!secure_) {
        return text_;
    }
    std::string dots;
    for (std::size_t i = 0; i < characterCount(text_); ++i) {
        dots += "\u25CF";
    }
    return dots;
}

bool TextField::becomeFirstResponder() {
    if (editing_) {
        return true;
    }
    auto delegate = delegate_.lock();
    if (!canBecomeFirstResponder() || !window() || (delegate && !delegate->textFieldShouldBeginEditing(*this))) {
        return false;
    }
    if (!Control::becomeFirstResponder()) {
        return false;
    }
    editing_ = true;
    if (auto current = delegate_.lock()) {
        current->textFieldDidBeginEditing(*this);
    }
    sendActionsForControlEvents(EditingDidBegin);
    return true;
}

bool TextField::resignFirstResponder() {
    if (!editing_) {
        return Control::resignFirstResponder();
    }
    if (auto delegate = delegate_.lock(); delegate && !delegate->textFieldShouldEndEditing(*this)) {
        return false;
    }
    editing_ = false;
    Control::resignFirstResponder();
    if (auto delegate = delegate_.lock()) {
        delegate->textFieldDidEndEditing(*this);
    }
    sendActionsForControlEvents(EditingDidEnd);
    return true;
}

bool TextField::typeText(const std::string& text) {
    if (auto delegate = delegate_.lock();
        delegate && !delegate->shouldChangeCharactersInRange(*this, TextRange{0, text_.size()}, text)) {
        return false;
    }
    text_ = text;
    sendActionsForControlEvents(EditingChanged);
    NotificationCenter::defaultCenter().post(kTextDidChangeNotification);
    return true;
}

void TextField::pressReturn() {
    auto keep = sharedFromThis();
    bool shouldReturn = true;
    if (auto delegate = delegate_.lock()) {
        shouldReturn = delegate->textFieldShouldReturn(*this);
    }
    if (shouldReturn) {
        sendActionsForControlEvents(EditingDidEndOnExit);
    }
}

void TextField::touchesEnded(const Touch& touch) {
    bool wasTracking = tracking_;
    bool inside = isInsideForTracking(touch.locationIn(*this));
    Control::touchesEnded(touch);
    if (wasTracking && inside) {
        becomeFirstResponder();
    }
}

Value TextField::screenEntry() const {
    return Value{{"kind", "field"},
                 {"text", displayedText()},
                 {"placeholder", placeholder_},
                 {"focused", isFirstResponder()},
                 {"secure", secure_}};
}

void TextField::describe(Value& node) const {
    Control::describe(node);
    node["text"] = displayedText();
    node["placeholder"] = placeholder_;
    node["font"] = {{"size", font_.pointSize}, {"bold", font_.bold}};
    node["color"] = textColor_.css();
    node["align"] = textAlignmentName(alignment_);
    node["focused"] = isFirstResponder();
    if (isFirstResponder()) {
        node["focus"] = window()->focusNumber();
    }
    if (borderStyle_ != TextBorderStyle::None) {
        node["borderStyle"] = borderStyle_ == TextBorderStyle::RoundedRect ? "rounded" : "line";
    }
}

}  // namespace platform
