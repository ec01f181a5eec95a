#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextRange.h"

#include <memory>
#include <string>

namespace platform {

class TextField;

// Asked and told about editing in a text field; every operation is optional.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) {}
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) {}
    virtual bool shouldChangeCharactersInRange(TextField&, TextRange, const std::string& /*replacement*/) {
        return true;
    }
    virtual bool textFieldShouldReturn(TextField&) { return true; }
};

enum class TextBorderStyle { None, Line, Bezel, RoundedRect };

// A one-line text input. A tap makes it the first responder (the keyboard opens);
// typing asks the delegate before each change.
class TextField : public Control {
public:
    static constexpr const char* kTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

    explicit TextField(Rect frame = Rect{});
    std::string className() const override { return "TextField"; }

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder) { placeholder_ = std::move(placeholder); }
    Font font() const { return font_; }
    void setFont(Font font) { font_ = font; }
    Color textColor() const { return textColor_; }
    void setTextColor(Color color) { textColor_ = color; }
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
    bool isSecureTextEntry() const { return secure_; }
    void setSecureTextEntry(bool secure) { secure_ = secure; }
    TextBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TextBorderStyle style) { borderStyle_ = style; }
    std::weak_ptr<TextFieldDelegate> delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }
    bool isEditing() const { return editing_; }
    // The text as a person sees it: a secure field shows one dot per character.
    std::string displayedText() const;

    // Typing: replaces the whole text, as selecting all and typing would, if the
    // delegate allows it. Returns whether the text changed.
    bool typeText(const std::string& text);
    // The return key.
    void pressReturn();

    bool canBecomeFirstResponder() const override { return isEnabled(); }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void touchesEnded(const Touch& touch) override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    std::string text_;
    std::string placeholder_;
    Font font_ = Font::systemFont(17);
    Color textColor_ = Color::black();
    TextAlignment alignment_ = TextAlignment::Left;
    bool secure_ = false;
    TextBorderStyle borderStyle_ = TextBorderStyle::None;
    std::weak_ptr<TextFieldDelegate> delegate_;
    bool editing_ = false;
};

}  // namespace platform
