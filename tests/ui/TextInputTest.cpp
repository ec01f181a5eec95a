#include "platform/foundation/Json.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "tests/ui/UiTest.h"

#include <memory>
#include <string>
#include <vector>

using platform::Point;
using platform::Rect;
using platform::TextField;
using platform::TextRange;
using platform::TextView;
using platform::View;

namespace {

using Events = std::vector<std::string>;

// A login form's field delegate: records what it is asked and answers as told.
class FieldDelegate : public platform::TextFieldDelegate {
public:
    bool textFieldShouldBeginEditing(TextField& field) override {
        events.push_back("shouldBegin " + field.placeholder());
        return allowBegin;
    }
    void textFieldDidBeginEditing(TextField& field) override {
        events.push_back("didBegin " + field.placeholder());
    }
    bool textFieldShouldEndEditing(TextField& field) override {
        events.push_back("shouldEnd " + field.placeholder());
        return allowEnd;
    }
    void textFieldDidEndEditing(TextField& field) override {
        events.push_back("didEnd " + field.placeholder());
    }
    bool shouldChangeCharactersInRange(TextField&, TextRange range, const std::string& replacement) override {
        asked.push_back(range);
        events.push_back("change to " + replacement);
        return allowChange;
    }
    bool textFieldShouldReturn(TextField& field) override {
        events.push_back("return " + field.placeholder());
        if (resignOnReturn) {
            field.resignFirstResponder();
        }
        return true;
    }

    bool allowBegin = true;
    bool allowEnd = true;
    bool allowChange = true;
    bool resignOnReturn = false;
    Events events;
    std::vector<TextRange> asked;
};

// A feedback form's text view delegate: a line break ends editing but is allowed.
class FeedbackDelegate : public platform::TextViewDelegate {
public:
    void textViewDidBeginEditing(TextView&) override { events.push_back("didBegin"); }
    void textViewDidEndEditing(TextView&) override { events.push_back("didEnd"); }
    bool shouldChangeTextInRange(TextView& view, TextRange range, const std::string& replacement) override {
        asked.push_back(range);
        events.push_back("change to " + (replacement == "\n" ? std::string("newline") : replacement));
        if (replacement == "\n") {
            view.resignFirstResponder();
        }
        return allowChange;
    }
    void textViewDidChange(TextView& view) override { events.push_back("didChange " + view.text()); }

    bool allowChange = true;
    Events events;
    std::vector<TextRange> asked;
};

class TextInputTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = makeMainWindow();
        name = View::create<TextField>(Rect::make(40, 120, 240, 36));
        name->setPlaceholder("用户名");
        password = View::create<TextField>(Rect::make(40, 170, 240, 36));
        password->setPlaceholder("密码");
        password->setSecureTextEntry(true);
        window->addSubview(name);
        window->addSubview(password);
        delegate = std::make_shared<FieldDelegate>();
        name->setDelegate(delegate);
        password->setDelegate(delegate);
    }

    std::shared_ptr<platform::Window> window;
    std::shared_ptr<TextField> name;
    std::shared_ptr<TextField> password;
    std::shared_ptr<FieldDelegate> delegate;
};

// --- text fields -------------------------------------------------------------------

TEST_F(TextInputTest, TappingAFieldMakesItTheFirstResponder) {
    EXPECT_FALSE(name->isFirstResponder());
    window->tap(Point{100, 138});
    EXPECT_TRUE(name->isFirstResponder());
    EXPECT_TRUE(name->isEditing());
    EXPECT_EQ(window->firstResponder().get(), name.get());
    EXPECT_EQ(name->screenEntry()["focused"], true);
    EXPECT_EQ(delegate->events, (Events{"shouldBegin 用户名", "didBegin 用户名"}));
}

TEST_F(TextInputTest, TheTreeNumbersEachFocusAndKeepsTheNumberWhileTheViewsAroundChange) {
    auto focusOf = [](const TextField& field) {
        platform::Value node;
        field.describe(node);
        return node.value("focus", std::uint64_t{0});
    };
    window->tap(Point{100, 138});
    const auto first = focusOf(*name);
    EXPECT_NE(first, 0U);
    EXPECT_EQ(focusOf(*password), 0U) << "only the focused field has a number";

    // A view placed before the field in the tree comes and goes: the same focus.
    auto cover = View::create<View>(Rect::make(0, 0, 320, 40));
    window->insertSubview(cover, 0);
    cover->removeFromSuperview();
    EXPECT_EQ(focusOf(*name), first);

    window->tap(Point{100, 188});
    const auto second = focusOf(*password);
    EXPECT_NE(second, first);
    window->tap(Point{100, 138});
    EXPECT_NE(focusOf(*name), first) << "focusing the field again is a new focus";
    EXPECT_NE(focusOf(*name), second);
}

TEST_F(TextInputTest, TheDelegateCanRefuseToBeginEditing) {
    delegate->allowBegin = false;
    window->tap(Point{100, 138});
    EXPECT_FALSE(name->isFirstResponder());
    EXPECT_FALSE(name->isEditing());
    EXPECT_EQ(delegate->events, (Events{"shouldBegin 用户名"}));
}

TEST_F(TextInputTest, ADisabledFieldDoesNotTakeTheFocus) {
    name->setEnabled(false);
    window->tap(Point{100, 138});
    EXPECT_FALSE(name->isFirstResponder());
    EXPECT_FALSE(name->becomeFirstResponder());
}

TEST_F(TextInputTest, FocusingAnotherFieldEndsEditingInTheFirst) {
    window->tap(Point{100, 138});
    delegate->events.clear();
    window->tap(Point{100, 188});
    EXPECT_FALSE(name->isFirstResponder());
    EXPECT_FALSE(name->isEditing());
    EXPECT_TRUE(password->isFirstResponder());
    EXPECT_EQ(delegate->events,
              (Events{"shouldBegin 密码", "shouldEnd 用户名", "didEnd 用户名", "didBegin 密码"}));
}

TEST_F(TextInputTest, AFieldThatRefusesToEndEditingKeepsTheFocus) {
    window->tap(Point{100, 138});
    delegate->allowEnd = false;
    window->tap(Point{100, 188});
    EXPECT_TRUE(name->isFirstResponder());
    EXPECT_FALSE(password->isFirstResponder());
    EXPECT_FALSE(password->isEditing());
}

TEST_F(TextInputTest, TypingAsksTheDelegateWhichMayRefuse) {
    int changed = 0;
    name->addAction([&](platform::Control&) { ++changed; }, platform::EditingChanged);
    name->becomeFirstResponder();
    EXPECT_TRUE(name->typeText("zhang"));
    EXPECT_EQ(name->text(), "zhang");
    EXPECT_TRUE(name->typeText("张三"));
    EXPECT_EQ(name->text(), "张三");
    ASSERT_EQ(delegate->asked.size(), 2u);
    EXPECT_EQ(delegate->asked[0].location, 0u);
    EXPECT_EQ(delegate->asked[0].length, 0u);
    EXPECT_EQ(delegate->asked[1].length, 5u);  // the whole old text is replaced
    EXPECT_EQ(changed, 2);

    delegate->allowChange = false;
    EXPECT_FALSE(name->typeText("李四"));
    EXPECT_EQ(name->text(), "张三");
    EXPECT_EQ(changed, 2);
}

TEST_F(TextInputTest, TheReturnKeyAsksTheDelegateWhichMayCloseTheKeyboard) {
    delegate->resignOnReturn = true;
    window->tap(Point{100, 188});
    delegate->events.clear();
    password->pressReturn();
    EXPECT_EQ(delegate->events, (Events{"return 密码", "shouldEnd 密码", "didEnd 密码"}));
    EXPECT_FALSE(password->isFirstResponder());
    EXPECT_EQ(window->firstResponder().get(), nullptr);
}

TEST_F(TextInputTest, ASecureFieldShowsOneDotPerCharacter) {
    password->typeText("abc");
    EXPECT_EQ(password->screenEntry()["text"], "\u25CF\u25CF\u25CF");
    password->typeText("税务1");
    EXPECT_EQ(password->displayedText(), "\u25CF\u25CF\u25CF");
    EXPECT_EQ(password->text(), "税务1");
    name->typeText("abc");
    EXPECT_EQ(name->screenEntry()["text"], "abc");
}

TEST_F(TextInputTest, EndingEditingOnAContainerOrRemovingTheFieldReleasesTheFocus) {
    name->becomeFirstResponder();
    ASSERT_TRUE(name->isFirstResponder());
    EXPECT_TRUE(window->endEditing());
    EXPECT_FALSE(name->isFirstResponder());
    EXPECT_FALSE(name->isEditing());

    password->becomeFirstResponder();
    delegate->events.clear();
    password->removeFromSuperview();
    EXPECT_EQ(window->firstResponder().get(), nullptr);
    EXPECT_EQ(delegate->events, (Events{"shouldEnd 密码", "didEnd 密码"}));
}

TEST_F(TextInputTest, TakingAwayTheViewThatHoldsTheFocusedFieldEndsItsEditing) {
    // A screen's view leaves the window (popped, or its tab switched away) while
    // one of its fields still has the keyboard.
    auto form = View::create(Rect::make(0, 300, 320, 200));
    auto field = View::create<TextField>(Rect::make(10, 10, 300, 30));
    field->setPlaceholder("搜索");
    field->setDelegate(delegate);
    form->addSubview(field);
    window->addSubview(form);
    window->tap(Point{100, 320});
    ASSERT_TRUE(field->isFirstResponder());
    delegate->events.clear();

    form->removeFromSuperview();
    EXPECT_EQ(window->firstResponder().get(), nullptr);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(delegate->events, (Events{"shouldEnd 搜索", "didEnd 搜索"}));
}

// --- text views --------------------------------------------------------------------

class TextViewTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = makeMainWindow();
        feedback = View::create<TextView>(Rect::make(10, 80, 300, 150));
        window->addSubview(feedback);
        delegate = std::make_shared<FeedbackDelegate>();
        feedback->setDelegate(delegate);
    }

    std::shared_ptr<platform::Window> window;
    std::shared_ptr<TextView> feedback;
    std::shared_ptr<FeedbackDelegate> delegate;
};

TEST_F(TextViewTest, ATapStartsEditingAndTypingIsOfferedThenReported) {
    window->tap(Point{100, 100});
    EXPECT_TRUE(feedback->isFirstResponder());
    feedback->typeText("课程很好");
    EXPECT_EQ(feedback->text(), "课程很好");
    ASSERT_EQ(delegate->asked.size(), 1u);
    EXPECT_EQ(delegate->asked[0].location, 0u);
    EXPECT_EQ(delegate->asked[0].length, 0u);
    EXPECT_EQ(delegate->events, (Events{"didBegin", "change to 课程很好", "didChange 课程很好"}));
}

TEST_F(TextViewTest, ARefusedChangeLeavesTheTextAndIsNotReported) {
    feedback->typeText("a&b");
    delegate->allowChange = false;
    delegate->events.clear();
    EXPECT_FALSE(feedback->typeText("other"));
    EXPECT_EQ(feedback->text(), "a&b");
    EXPECT_EQ(delegate->events, (Events{"change to other"}));
}

TEST_F(TextViewTest, TheReturnKeyOffersALineBreakAtTheEndWhichMayEndEditing) {
    feedback->becomeFirstResponder();
    feedback->typeText("好");
    delegate->events.clear();
    delegate->asked.clear();
    EXPECT_TRUE(feedback->pressReturn());
    ASSERT_EQ(delegate->asked.size(), 1u);
    EXPECT_EQ(delegate->asked[0].location, 3u);  // after the three bytes of "好"
    EXPECT_EQ(delegate->asked[0].length, 0u);
    EXPECT_EQ(feedback->text(), "好\n");
    EXPECT_FALSE(feedback->isFirstResponder());
    EXPECT_EQ(delegate->events, (Events{"change to newline", "didEnd", "didChange 好\n"}));
}

TEST_F(TextViewTest, AFieldAndATextViewShareTheOneFocus) {
    auto field = View::create<TextField>(Rect::make(10, 300, 300, 30));
    window->addSubview(field);
    window->tap(Point{100, 100});
    ASSERT_TRUE(feedback->isFirstResponder());
    window->tap(Point{100, 310});
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_FALSE(feedback->isEditing());
    EXPECT_EQ(delegate->events, (Events{"didBegin", "didEnd"}));
}

}  // namespace
