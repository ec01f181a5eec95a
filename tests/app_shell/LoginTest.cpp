#include "platform/foundation/Json.h"
#include "tests/app_shell/ShellTestSupport.h"

#include "app/LoginViewCon.h"
#include "components/ProgressHUD.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"

namespace qelvo::test {
namespace {

class LoginTest : public ShellTest {
protected:
    // Launches, goes to the student centre and opens the login screen from its row.
    std::shared_ptr<LoginViewCon> openLogin() {
        launch();
        pump([&] { return service.count("1") == 1; });
        EXPECT_EQ(tapText("学员中心").status, 200);
        EXPECT_EQ(tapText("登录").status, 200);
        advance(platform::ViewController::kTransitionDuration);
        auto* stack = dynamic_cast<platform::NavigationController*>(
            appDelegate->_tabCon()->selectedViewController().get());
        return std::dynamic_pointer_cast<LoginViewCon>(stack->topViewController());
    }
    void typeInto(const std::string& placeholder, const std::string& text) {
        const platform::Value shownNow = screen();
        for (const auto& view : shownNow["views"]) {
            if (view["kind"] == "field" && view["placeholder"] == placeholder) {
                const auto& f = view["frame"];
                device.tap(platform::Value{{"x", f[0].get<double>() + 10}, {"y", f[1].get<double>() + 10}});
                ASSERT_EQ(device.type(platform::Value{{"text", text}}).status, 200);
                return;
            }
        }
        FAIL() << "no field " << placeholder;
    }
    void submit() {
        // The button, not the title bar's label of the same text.
        const platform::Value shownNow = screen();
        for (const auto& view : shownNow["views"]) {
            if (view["kind"] == "button" && view["text"] == "登录") {
                const auto& f = view["frame"];
                device.tap(platform::Value{{"x", f[0].get<double>() + 5}, {"y", f[1].get<double>() + 5}});
                settle();
                return;
            }
        }
        FAIL() << "no login button";
    }
    bool toastShown(const std::string& text) {
        const platform::Value shownNow = screen();
        for (const auto& toast : shownNow["toasts"]) {
            if (toast == text) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(LoginTest, TheScreenShowsItsFieldsAndButtonWithTheTabBarHidden) {
    auto login = openLogin();
    ASSERT_TRUE(login);
    EXPECT_EQ(screens(), (std::vector<std::string>{"StuCenterViewCon", "LoginViewCon"}));
    EXPECT_TRUE(appDelegate->_tabCon()->isTabBarHidden());
    EXPECT_EQ(login->nameText()->placeholder(), "用户名");
    EXPECT_EQ(login->pwdText()->placeholder(), "密码");
    EXPECT_TRUE(login->pwdText()->isSecureTextEntry());
    EXPECT_TRUE(shows("登录"));
    EXPECT_EQ(login->progressHUD()->labelText(), "正在登录...");
    EXPECT_TRUE(screen()["hud"].is_null()) << "the overlay starts hidden";
}

TEST_F(LoginTest, EmptyFieldsAreRefusedWithAToastAndNothingIsSent) {
    openLogin();
    submit();
    EXPECT_TRUE(toastShown("请输入您的用户名!"));
    typeInto("用户名", "demo");
    advance(2);
    submit();
    EXPECT_TRUE(toastShown("请输入您的密码!"));
    typeInto("密码", " ");  // only a space: not trimmed, so it passes
    advance(2);
    service.hold("8");
    submit();
    EXPECT_EQ(screen()["hud"], "正在登录...");
    EXPECT_TRUE(pump([&] { return service.count("8") == 1; }));
    service.release();
    EXPECT_EQ(service.lastBody("8"), "mode=8&userName=demo&password=+");
}

TEST_F(LoginTest, SuccessStoresTheSessionAnnouncesItAndClosesHalfASecondLater) {
    service.reply("8", platform::Value{{"result", "0"}, {"userId", "10001"}});
    auto login = openLogin();
    std::vector<std::string> screensWhenAnnounced;
    auto observation = platform::NotificationCenter::defaultCenter().addObserver(
        "UserLoginSuc", [&](const platform::Notification&) { screensWhenAnnounced = screens(); });
    typeInto("用户名", "demo");
    typeInto("密码", "qelvo123");
    submit();
    ASSERT_TRUE(pump([&] { return toastShown("登录成功"); }));
    EXPECT_EQ(screensWhenAnnounced, (std::vector<std::string>{"StuCenterViewCon", "LoginViewCon"}));
    EXPECT_EQ(LoginInstance::getUserInstance().userId(), "10001");
    EXPECT_EQ(LoginInstance::getUserInstance().userName(), "demo");
    auto& defaults = platform::UserDefaults::standard();
    EXPECT_EQ(defaults.stringForKey("userName"), "demo");
    EXPECT_EQ(defaults.stringForKey("userId"), "10001");

    advance(0.49);
    EXPECT_EQ(screens().back(), "LoginViewCon");
    advance(0.01);
    EXPECT_EQ(screens(), std::vector<std::string>{"StuCenterViewCon"});
    advance(platform::ViewController::kTransitionDuration);
    EXPECT_FALSE(appDelegate->_tabCon()->isTabBarHidden());
    EXPECT_TRUE(shows("退出登录"));
    EXPECT_TRUE(shows("demo"));

    // The password is nowhere in the container, and the log masks it.
    auto files = platform::FileSystem::listRecursive(container->path());
    ASSERT_TRUE(files);
    for (const auto& file : *files) {
        auto path = platform::FileSystem::appendingPathComponent(container->path(), file);
        if (auto bytes = platform::FileSystem::readFile(path)) {
            EXPECT_EQ(bytes->find("qelvo123"), std::string::npos) << file;
        }
    }
    for (const auto& line : logLines()) {
        EXPECT_EQ(line.find("qelvo123"), std::string::npos) << line;
    }
    EXPECT_TRUE(logged("postStr is: mode=8&userName=demo&password=******"));
}

// Opened over a course page, the login screen closes only itself: not when the person
// has gone back during the half second, and once for two logins.
TEST_F(LoginTest, TheDelayedCloseTakesOnlyTheLoginScreenAndOnlyWhileItIsShown) {
    service.reply("8", platform::Value{{"result", "0"}, {"userId", "10001"}});
    launch();
    int logins = 0;
    auto observation = platform::NotificationCenter::defaultCenter().addObserver(
        "UserLoginSuc", [&](const platform::Notification&) { ++logins; });
    auto* stack =
        dynamic_cast<platform::NavigationController*>(appDelegate->_tabCon()->viewControllers()[0].get());
    ASSERT_TRUE(stack);
    stack->pushViewController(std::make_shared<platform::ViewController>("CoursePage"), false);
    const std::vector<std::string> below = screens();
    ASSERT_EQ(below.size(), 2U);
    auto logIn = [&] {
        const int before = logins;
        submit();
        ASSERT_TRUE(pump([&] { return logins == before + 1; }));
        advance(ProgressHUD::kAnimationDuration);
    };

    stack->pushViewController(std::make_shared<LoginViewCon>(), false);
    typeInto("用户名", "demo");
    typeInto("密码", "qelvo123");
    ASSERT_NO_FATAL_FAILURE(logIn());
    ASSERT_EQ(device.back(platform::Value::object()).status, 200);
    advance(LoginViewCon::kCloseDelay + platform::ViewController::kTransitionDuration);
    EXPECT_EQ(screens(), below) << "the person stays on the course page";

    stack->pushViewController(std::make_shared<LoginViewCon>(), false);
    typeInto("用户名", "demo");
    typeInto("密码", "qelvo123");
    ASSERT_NO_FATAL_FAILURE(logIn());
    ASSERT_NO_FATAL_FAILURE(logIn());
    advance(LoginViewCon::kCloseDelay + platform::ViewController::kTransitionDuration);
    EXPECT_EQ(screens(), below) << "two logins close the login screen once";
}

TEST_F(LoginTest, ARefusalShowsTheServiceMessageAndKeepsThePreviousSession) {
    auto& defaults = platform::UserDefaults::standard();
    defaults.setObject("student", "userName");
    defaults.setObject("10002", "userId");
    service.reply("8", platform::Value{{"result", "1"}, {"message", "用户名或密码错误"}});
    launch();
    auto* stack =
        dynamic_cast<platform::NavigationController*>(appDelegate->_tabCon()->viewControllers()[4].get());
    auto login = std::make_shared<LoginViewCon>();
    appDelegate->_tabCon()->setSelectedIndex(4);
    stack->pushViewController(login, false);
    typeInto("用户名", "demo");
    typeInto("密码", "wrong");
    submit();
    ASSERT_TRUE(pump([&] { return toastShown("用户名或密码错误"); }));
    advance(1);
    EXPECT_EQ(screens().back(), "LoginViewCon") << "the screen stays open";
    EXPECT_EQ(LoginInstance::getUserInstance().userName(), "student");
    EXPECT_EQ(LoginInstance::getUserInstance().userId(), "10002");
    EXPECT_EQ(defaults.stringForKey("userName"), "student");
    EXPECT_EQ(defaults.stringForKey("userId"), "10002");
    EXPECT_TRUE(screen()["hud"].is_null());
}

TEST_F(LoginTest, AFailedRequestAsksToCheckTheNetworkAndLeavesTheScreenUsable) {
    auto login = openLogin();
    ServiceEndpoint::setHost("127.0.0.1:9");
    typeInto("用户名", "demo");
    typeInto("密码", "qelvo123");
    submit();
    ASSERT_TRUE(pump([&] { return toastShown("请检查网络!"); }));
    EXPECT_TRUE(logged("加载出错"));
    advance(ProgressHUD::kAnimationDuration);
    EXPECT_TRUE(screen()["hud"].is_null());
    // The overlay no longer takes the touches: the field can be focused again.
    typeInto("用户名", "demo2");
    EXPECT_EQ(login->nameText()->text(), "demo2");
    EXPECT_FALSE(LoginInstance::getUserInstance().hasUserName());
}

TEST_F(LoginTest, AReplyThatIsNotJsonCountsAsAFailedRequest) {
    service.reply("8", platform::Value("not an object"));
    openLogin();
    typeInto("用户名", "demo");
    typeInto("密码", "qelvo123");
    submit();
    ASSERT_TRUE(pump([&] { return toastShown("请检查网络!"); }));
    EXPECT_FALSE(LoginInstance::getUserInstance().hasUserName());
}

TEST_F(LoginTest, OnlyAMessageThatIsTextIsShownAndOneNestedTooDeepIsNoReply) {
    // A refusal whose "message" is no text shows no text of it.
    service.reply("8", platform::Value{{"result", "1"}, {"message", {{"code", 7}}}});
    openLogin();
    typeInto("用户名", "demo");
    typeInto("密码", "qelvo123");
    submit();
    ASSERT_TRUE(pump([&] { return toastShown(""); }));
    // Held here: a loop over a member of the temporary screen would outlive it.
    const platform::Value shownNow = screen();
    for (const auto& toast : shownNow["toasts"]) {
        EXPECT_EQ(toast.get<std::string>().find("code"), std::string::npos) << toast;
    }
    // A reply nested far too deep to be data is no reply: the app neither shows it nor
    // writes it back as text for its log, and stays up.
    const int depth = 100000;
    service.replyRaw("8",
                     R"({"result":"1","message":)" + std::string(depth, '[') + std::string(depth, ']') + "}");
    advance(2);
    submit();
    ASSERT_TRUE(pump([&] { return toastShown("请检查网络!"); }));
    EXPECT_TRUE(logged("加载出错"));
    EXPECT_EQ(screens().back(), "LoginViewCon");
}

TEST_F(LoginTest, TheReturnKeyOnlyClosesTheKeyboard) {
    auto login = openLogin();
    typeInto("用户名", "demo");
    typeInto("密码", "qelvo123");
    EXPECT_TRUE(login->pwdText()->isFirstResponder());
    EXPECT_EQ(device.key(platform::Value{{"key", "return"}}).status, 200);
    EXPECT_FALSE(login->pwdText()->isFirstResponder());
    pump([] { return false; }, 0.2);
    EXPECT_EQ(service.count("8"), 0u);
}

}  // namespace
}  // namespace qelvo::test
