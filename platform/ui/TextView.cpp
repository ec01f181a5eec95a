#include "platform/ui/TextView.h"

#include "platform/foundation/Json.h"
#include "platform/ui/Window.h"

namespace platform {

TextView::TextView(Rect frame) : View(frame) {
    setBackgroundColor(Color::white());
}

bool TextView::becomeFirstResponder() {
    if (editing_) {
        return true;
    }
    auto delegate = delegate_.lock();
    if (!canBecomeFirstResponder() || !window() || (delegate && !delegate->textViewShouldBeginEditing(*this))) {
        return false;
    }
    if (!View::becomeFirstResponder()) {
        return false;
    }
    editing_ = true;
    if (auto current = delegate_.lock()) {
        current->textViewDidBeginEditing(*this);
    }
    return true;
}

bool TextView::resignFirstResponder() {
    if (!editing_) {
        return View::resignFirstResponder();
    }
    editing_ = false;
    View::resignFirstResponder();
    if (auto delegate = delegate_.lock()) {
        delegate->textViewDidEndEditing(*this);
    }
    return true;
}

bool TextView::replace(TextRange range, const std::string& replacement) {
    auto keep = sharedFromThis();
    if (range.location > text_.size()) {
        range.location = text_.size();
    }
    if (auto delegate = delegate_.lock(); delegate && !delegate->shouldChangeTextInRange(*this, range, replacement)) {
        return false;
    }
    text_.replace(range.location, range.length, replacement);
    if (auto delegate = delegate_.lock()) {
        delegate->textViewDidChange(*this);
    }
    return true;
}

bool TextView::typeText(const std::string& text) {
    return replace(TextRange{0, text_.size()}, text);
}

bool TextView::pressReturn() {
    return replace(TextRange{text_.size(), 0}, "\n");
}

void TextView::touchesBegan(const Touch&) {}

void TextView::touchesEnded(const Touch& touch) {
    if (bounds().contains(touch.locationIn(*this))) {
        becomeFirstResponder();
    }
}

Value TextView::screenEntry() const {
    return Value{{"kind", "textview"}, {"text", text_}, {"placeholder", ""}, {"focused", isFirstResponder()}};
}

void TextView::describe(Value& node) const {
    View::describe(node);
    node["text"] = text_;
    node["lines"] = font_.linesOfText(text_, frame().width() > 0 ? frame().width() : 1e9);
    node["font"] = {{"size", font_.pointSize}, {"bold", font_.bold}};
    node["color"] = textColor_.css();
    node["focused"] = isFirstResponder();
    if (isFirstResponder()) {
        node["focus"] = window()->focusNumber();
    }
}

}  // namespace platform
