#include "platform/foundation/Json.h"
#include "tests/app_shell/ShellTestSupport.h"

#include "app/LoginViewCon.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

namespace qelvo::test {
namespace {

class StuCenterTest : public ShellTest {
protected:
    void openCentre(const std::string& userName = "", const std::string& userId = "") {
        auto& defaults = platform::UserDefaults::standard();
        if (!userName.empty()) {
            defaults.setObject(userName, "userName");
        }
        if (!userId.empty()) {
            defaults.setObject(userId, "userId");
        }
        launch();
        ASSERT_EQ(tapText("学员中心").status, 200);
    }
    std::string loginRowText() {
        const platform::Value shownNow = screen();
        for (const auto& view : shownNow["views"]) {
            if (view["kind"] == "cell" && view.value("row", -1) == 1) {
                return view["text"];
            }
        }
        return "<no row>";
    }
    platform::Value alert() { return screen()["alert"]; }
};

TEST_F(StuCenterTest, LoggedOutTheRowOffersLoginAndEveryEntryOpensTheLoginScreen) {
    openCentre();
    EXPECT_EQ(loginRowText(), "登录");
    ASSERT_EQ(tapText("登录").status, 200);
    EXPECT_EQ(screens(), (std::vector<std::string>{"StuCenterViewCon", "LoginViewCon"}));
    advance(platform::ViewController::kTransitionDuration);
    ASSERT_EQ(device.back(platform::Value::object()).status, 200);
    advance(platform::ViewController::kTransitionDuration);
    for (const char* entry : {"课程收藏", "课程下载"}) {
        ASSERT_EQ(tapText(entry).status, 200) << entry;
        EXPECT_EQ(screens().back(), "LoginViewCon") << entry;
        advance(platform::ViewController::kTransitionDuration);
        device.back(platform::Value::object());
        advance(platform::ViewController::kTransitionDuration);
        EXPECT_EQ(screens(), std::vector<std::string>{"StuCenterViewCon"});
    }
}

TEST_F(StuCenterTest, ALoginElsewhereReloadsTheRowWithoutLeavingTheScreen) {
    openCentre();
    LoginInstance::getUserInstance().setUserId("10001");
    LoginInstance::getUserInstance().setUserName("demo");
    platform::NotificationCenter::defaultCenter().post("UserLoginSuc");
    settle();
    EXPECT_EQ(loginRowText(), "退出登录\ndemo");
    EXPECT_EQ(screens(), std::vector<std::string>{"StuCenterViewCon"});
}

TEST_F(StuCenterTest, ConfirmingTheLogoutQuestionClearsTheSessionAndTheStore) {
    openCentre("demo", "10001");
    EXPECT_EQ(loginRowText(), "退出登录\ndemo");
    ASSERT_EQ(tapText("退出登录").status, 200);
    ASSERT_FALSE(alert().is_null());
    EXPECT_EQ(alert()["title"], "温馨提示");
    EXPECT_EQ(alert()["message"], "您确定要退出登录吗?");
    EXPECT_EQ(alert()["buttons"], platform::Value::array({"取消", "确认"}));
    EXPECT_EQ(alert()["tag"], 8000);

    // Cancelling changes nothing.
    ASSERT_EQ(device.alert(platform::Value{{"button", 0}}).status, 200);
    EXPECT_TRUE(alert().is_null());
    EXPECT_EQ(loginRowText(), "退出登录\ndemo");

    tapText("退出登录");
    ASSERT_EQ(device.alert(platform::Value{{"button", 1}}).status, 200);
    EXPECT_EQ(loginRowText(), "登录");
    EXPECT_FALSE(LoginInstance::getUserInstance().userId());
    EXPECT_FALSE(LoginInstance::getUserInstance().userName());
    auto& defaults = platform::UserDefaults::standard();
    EXPECT_FALSE(defaults.objectForKey("userId"));
    EXPECT_FALSE(defaults.objectForKey("userName"));
    pump([] { return false; }, 0.2);
    EXPECT_EQ(service.bodies().size(), 1u) << "logging out sends nothing";
}

TEST_F(StuCenterTest, ASessionWithoutIdentifierShowsLoginButCountsAsLoggedInOnTap) {
    openCentre("demo");
    EXPECT_EQ(loginRowText(), "登录");
    ASSERT_EQ(tapText("登录").status, 200);
    ASSERT_FALSE(alert().is_null()) << "the row tap tests the user name";
    EXPECT_EQ(alert()["tag"], 8000);
    device.alert(platform::Value{{"button", 0}});
    ASSERT_EQ(tapText("课程收藏").status, 200);
    EXPECT_EQ(screens(), (std::vector<std::string>{"StuCenterViewCon", "FavorViewCon"}))
        << "a user name opens the favourites, not the login screen";
}

TEST_F(StuCenterTest, TheCellularSwitchAsksAndACancelledChangeIsUndone) {
    openCentre();
    auto switchFrame = [&]() -> platform::Value {
        const platform::Value shownNow = screen();
        for (const auto& view : shownNow["views"]) {
            if (view["kind"] == "switch") {
                return view;
            }
        }
        return nullptr;
    };
    auto tapSwitch = [&] {
        const platform::Value found = switchFrame();
        const auto& f = found["frame"];
        device.tap(platform::Value{{"x", f[0].get<double>() + 20}, {"y", f[1].get<double>() + 15}});
        settle();
    };
    ASSERT_FALSE(switchFrame().is_null());
    EXPECT_EQ(switchFrame()["on"], false);
    tapSwitch();
    ASSERT_FALSE(alert().is_null());
    EXPECT_EQ(alert()["tag"], 5000);
    EXPECT_EQ(alert()["message"], "3G网络下载可能会产生比较多的流量费用");
    EXPECT_EQ(alert()["buttons"], platform::Value::array({"取消", "确定"}));
    device.alert(platform::Value{{"button", 0}});
    EXPECT_EQ(switchFrame()["on"], false);
    EXPECT_FALSE(platform::UserDefaults::standard().objectForKey("notWifiDown"));

    tapSwitch();
    device.alert(platform::Value{{"button", 1}});
    EXPECT_EQ(switchFrame()["on"], true);
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("notWifiDown"), "yes");
    EXPECT_TRUE(logged("开始3G网络下载"));

    tapSwitch();
    EXPECT_EQ(alert()["tag"], 6000);
    EXPECT_EQ(alert()["message"], "用户在3G网络下无法下载视频");
    device.alert(platform::Value{{"button", 1}});
    EXPECT_EQ(switchFrame()["on"], false);
    EXPECT_FALSE(platform::UserDefaults::standard().objectForKey("notWifiDown"));
}

TEST_F(StuCenterTest, TheClearVideosRowAsksFirst) {
    openCentre();
    ASSERT_EQ(tapText("清空视频").status, 200);
    ASSERT_FALSE(alert().is_null());
    EXPECT_EQ(alert()["tag"], 9000);
    EXPECT_EQ(alert()["message"], "您确定要清空所有的视频吗?");
    EXPECT_EQ(device.tap(platform::Value{{"x", 160}, {"y", 300}}).status, 409)
        << "the alert takes every touch";
}

}  // namespace
}  // namespace qelvo::test
