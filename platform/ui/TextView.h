#pragma once

#include "platform/ui/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextRange.h"
#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace platform {

class TextView;

// Asked and told about editing in a text view; every operation is optional.
class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidBeginEditing(TextView&) {}
    virtual void textViewDidEndEditing(TextView&) {}
    virtual bool shouldChangeTextInRange(TextView&, TextRange, const std::string& /*replacement*/) { return true; }
    virtual void textViewDidChange(TextView&) {}
};

// A multi-line text input. A tap starts editing; every typed change is offered to
// the delegate first and reported after.
class TextView : public View {
public:
    explicit TextView(Rect frame = Rect{});
    std::string className() const override { return "TextView"; }

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    Font font() const { return font_; }
    void setFont(Font font) { font_ = font; }
    Color textColor() const { return textColor_; }
    void setTextColor(Color color) { textColor_ = color; }
    bool isEditable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    std::weak_ptr<TextViewDelegate> delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<TextViewDelegate> delegate) { delegate_ = std::move(delegate); }
    bool isEditing() const { return editing_; }

    // Typing: replaces the whole text if the delegate allows it.
    bool typeText(const std::string& text);
    // The return key inserts a line break at the end, as typing it would.
    bool pressReturn();

    bool canBecomeFirstResponder() const override { return editable_; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void touchesBegan(const Touch& touch) override;
    void touchesEnded(const Touch& touch) override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    bool replace(TextRange range, const std::string& replacement);

    std::string text_;
    Font font_ = Font::systemFont(12);
    Color textColor_ = Color::black();
    bool editable_ = true;
    std::weak_ptr<TextViewDelegate> delegate_;
    bool editing_ = false;
};

}  // namespace platform
