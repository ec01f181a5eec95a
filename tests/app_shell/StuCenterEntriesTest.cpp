#include "platform/foundation/Json.h"
#include "tests/app_shell/StudentScreensTest.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebView.h"
#include "screens/WebViewController.h"

namespace qelvo::test {
namespace {

class StuCenterEntriesTest : public StudentScreensTest {
protected:
    void openCentre(bool loggedIn) {
        if (loggedIn) {
            platform::UserDefaults::standard().setObject("demo", "userName");
            platform::UserDefaults::standard().setObject("10001", "userId");
        }
        launch();
        ASSERT_EQ(tapText("学员中心").status, 200);
    }
    // The address the page screen on top loads, and its title.
    std::pair<std::string, std::string> openedPage(const std::string& row) {
        EXPECT_EQ(tapText(row).status, 200);
        auto page = std::dynamic_pointer_cast<WebViewController>(stack().topViewController());
        if (!page) {
            return {};
        }
        advance(platform::ViewController::kTransitionDuration);
        std::pair<std::string, std::string> opened{page->_webUrl(), page->navTitle().value_or("")};
        stack().popViewControllerAnimated(false);
        settle();
        return opened;
    }
    std::string base() { return "http://" + service.host() + "/wcm/qelvo/app/"; }
};

TEST_F(StuCenterEntriesTest, TheServicePagesOpenWithTheirTitlesAndTheFeedbackPageNamesNobodyWhenLoggedOut) {
    openCentre(false);
    EXPECT_EQ(openedPage("意见反馈"), std::make_pair(base() + "yijian.aspx", std::string("意见反馈")));
    EXPECT_EQ(openedPage("关于我们"), std::make_pair(base() + "GuanYuWoMen.aspx", std::string("关于我们")));
    EXPECT_EQ(openedPage("联系我们"), std::make_pair(base() + "LianXiWoMen.aspx", std::string("联系我们")));
}

TEST_F(StuCenterEntriesTest, LoggedInTheFeedbackPageCarriesTheIdentifierAndTheEntriesOpenTheirScreens) {
    openCentre(true);
    EXPECT_EQ(openedPage("意见反馈").first, base() + "yijian.aspx?userId=10001");
    ASSERT_EQ(tapText("课程收藏").status, 200);
    EXPECT_EQ(screens().back(), "FavorViewCon");
    stack().popViewControllerAnimated(false);
    settle();
    ASSERT_EQ(tapText("课程下载").status, 200);
    EXPECT_EQ(screens().back(), "StudeRecordViewCon");
}

TEST_F(StuCenterEntriesTest, ClearingAllVideosEmptiesBothListsOfTheEngine) {
    openCentre(true);
    engine()->downFileUrl("http://127.0.0.1:1/a.mp4", "41", "mp4", "课程");
    auto finished = std::make_shared<FileModel>();
    finished->setFileName("old.mp4");
    engine()->finishedlist().push_back(finished);
    advance(10);  // the engine's toast takes touches while it shows
    ASSERT_EQ(tapText("清空视频").status, 200);
    ASSERT_EQ(device.alert(platform::Value{{"button", 1}}).status, 200);
    settle();
    EXPECT_TRUE(engine()->filelist().empty());
    EXPECT_TRUE(engine()->downinglist().empty());
    EXPECT_TRUE(engine()->finishedlist().empty());
}

TEST_F(StuCenterEntriesTest, AllowingCellularDownloadsStopsWhatRuns) {
    openCentre(true);
    engine()->downFileUrl("http://127.0.0.1:1/a.mp4", "41", "mp4", "课程");
    ASSERT_EQ(engine()->filelist().size(), 1U);
    ASSERT_TRUE(engine()->filelist()[0]->isDownloading());
    advance(10);  // the engine's toast takes touches while it shows
    // Turning the switch on asks first; confirming stores the preference and stops.
    platform::Value shownNow = screen();
    for (const auto& view : shownNow["views"]) {
        if (view.value("kind", "") == "switch") {
            auto frame = view["frame"];
            device.tap(platform::Value{{"x", frame[0].get<double>() + 10}, {"y", frame[1].get<double>() + 10}});
        }
    }
    settle();
    ASSERT_EQ(screen()["alert"]["message"], "3G网络下载可能会产生比较多的流量费用");
    ASSERT_EQ(device.alert(platform::Value{{"button", 1}}).status, 200);
    settle();
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("notWifiDown"), "yes");
    EXPECT_FALSE(engine()->filelist()[0]->isDownloading());
    EXPECT_FALSE(engine()->filelist()[0]->willDownloading());
}

}  // namespace
}  // namespace qelvo::test
