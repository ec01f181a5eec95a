#include "platform/foundation/Json.h"
#include "tests/app_shell/StudentScreensTest.h"

#include "components/Toast.h"
#include "screens/FeedBackViewCon.h"

namespace qelvo::test {
namespace {

class FeedBackViewConTest : public StudentScreensTest {
protected:
    void SetUp() override {
        StudentScreensTest::SetUp();
        launch();
        ASSERT_EQ(tapText("学员中心").status, 200);
        ASSERT_EQ(tapText("写反馈").status, 200);
        advance(platform::ViewController::kTransitionDuration);
        form = std::dynamic_pointer_cast<FeedBackViewCon>(stack().topViewController());
        ASSERT_TRUE(form);
    }
    void type(const std::string& text) {
        form->textView()->typeText(text);
        settle();
    }
    void submit() { ASSERT_EQ(tapText("提交").status, 200); }
    std::string feedbackBody() {
        for (const auto& body : service.bodies()) {
            if (body.rfind("mode=kym8.7", 0) == 0) {
                return body;
            }
        }
        return {};
    }
    std::shared_ptr<FeedBackViewCon> form;
};

TEST_F(FeedBackViewConTest, AnEmptyTextIsNotSentAndTheHintShowsExactlyWhileEmpty) {
    submit();
    EXPECT_EQ(Toast::visibleToastTexts(), std::vector<std::string>{"请输入反馈内容!"});
    EXPECT_EQ(service.count("kym8.7"), 0U);
    type("好");
    EXPECT_TRUE(form->tipLabel()->isHidden());
    type("");
    EXPECT_FALSE(form->tipLabel()->isHidden());
}

TEST_F(FeedBackViewConTest, LoggedOutTheTextGoesEncodedWithAnEmptyUserAndAnAcceptedTextClosesTheForm) {
    service.reply("kym8.7", platform::Value{{"result", "0"}});
    type("a&b=c 很好");
    submit();
    ASSERT_TRUE(pump([&] { return !feedbackBody().empty() && shows("感谢您的宝贵意见!"); }));
    EXPECT_EQ(feedbackBody(), "mode=kym8.7&userId=&content=a%26b%3Dc+%E5%BE%88%E5%A5%BD");
    advance(platform::ViewController::kTransitionDuration);
    EXPECT_EQ(screens().back(), "StuCenterViewCon");
}

TEST_F(FeedBackViewConTest, ARefusedTextStaysWithTheServicesMessageAndIsSentUnderTheUserName) {
    LoginInstance::getUserInstance().setUserId("10001");
    LoginInstance::getUserInstance().setUserName("demo");
    service.reply("kym8.7", platform::Value{{"result", "1"}, {"message", "内容过短"}});
    type("短");
    submit();
    ASSERT_TRUE(pump([&] { return shows("内容过短"); }));
    EXPECT_EQ(feedbackBody(), "mode=kym8.7&userId=demo&content=%E7%9F%AD");
    EXPECT_EQ(screens().back(), "FeedBackViewCon");
    EXPECT_EQ(form->textView()->text(), "短");
    EXPECT_EQ(screen()["hud"], nullptr);
}

TEST_F(FeedBackViewConTest, ASecondTapWhileSendingIsIgnored) {
    service.hold("kym8.7");
    type("意见");
    submit();
    ASSERT_TRUE(pump([&] { return service.count("kym8.7") == 1; }));
    submit();
    service.release();
    ASSERT_TRUE(pump([&] { return shows("感谢您的宝贵意见!"); }));
    EXPECT_EQ(service.count("kym8.7"), 1U);
}

TEST_F(FeedBackViewConTest, AReturnEndsEditingAndKeepsTheLineBreak) {
    ASSERT_TRUE(form->textView()->becomeFirstResponder());
    EXPECT_TRUE(form->shouldChangeTextInRange(*form->textView(), platform::TextRange{0, 0}, "\n"));
    EXPECT_FALSE(form->textView()->isFirstResponder());
}

}  // namespace
}  // namespace qelvo::test
