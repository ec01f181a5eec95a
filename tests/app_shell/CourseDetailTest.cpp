#include "platform/foundation/Json.h"
#include "tests/app_shell/StudentScreensTest.h"

#include "components/Toast.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/WebView.h"

#include <filesystem>

namespace qelvo::test {
namespace {

class CourseDetailTest : public StudentScreensTest {
protected:
    void SetUp() override {
        StudentScreensTest::SetUp();
        launch();
    }
    std::vector<std::string> queuedUrls() {
        std::vector<std::string> urls;
        for (const auto& record : engine()->filelist()) {
            urls.push_back(record->fileURL().value_or("") + " " + record->fileName().value_or("") + " " +
                           record->fileByName().value_or(""));
        }
        return urls;
    }
};

TEST_F(CourseDetailTest, ThePageCarriesTheUserIdentifierOnceSomebodyLogsIn) {
    auto detail = openCourse(course("305"));
    std::string page = "http://" + service.host() + "/course.aspx";
    EXPECT_EQ(detail->webView()->url(), page + "?docId=305&from=iOS");

    LoginInstance::getUserInstance().setUserId("10001");
    platform::NotificationCenter::defaultCenter().post("UserLoginSuc");
    settle();
    EXPECT_EQ(detail->webView()->url(), page + "?userId=10001&docId=305&from=iOS");
    EXPECT_TRUE(logged("refresh"));
}

TEST_F(CourseDetailTest, ALoginLinkOpensTheLoginScreenInsteadOfLoadingEvenWhenLoggedIn) {
    LoginInstance::getUserInstance().setUserId("10001");
    LoginInstance::getUserInstance().setUserName("demo");
    auto detail = openCourse(course("305"));
    std::string before = detail->webView()->url();
    EXPECT_FALSE(detail->shouldStartLoadWithRequest(*detail->webView(), "http://x/a.aspx?doLogin=1",
                                                    platform::WebViewNavigationType::LinkClicked));
    settle();
    EXPECT_EQ(screens().back(), "LoginViewCon");
    EXPECT_TRUE(logged("用户登录逻辑"));
    EXPECT_EQ(detail->webView()->url(), before);
}

TEST_F(CourseDetailTest, AVideoLinkQueuesTheAddressBeforeTheLastStarUnderTheCourseTitle) {
    auto detail = openCourse(course("305"));
    auto& web = *detail->webView();
    EXPECT_TRUE(detail->shouldStartLoadWithRequest(web, "video:http://127.0.0.1:1/a.mp4*77",
                                                   platform::WebViewNavigationType::LinkClicked));
    EXPECT_TRUE(detail->shouldStartLoadWithRequest(web, "video:http://127.0.0.1:1/b*c.mp4*9",
                                                   platform::WebViewNavigationType::LinkClicked));
    EXPECT_EQ(queuedUrls(), (std::vector<std::string>{"http://127.0.0.1:1/a.mp4 77 增值税入门",
                                                      "http://127.0.0.1:1/b*c.mp4 9 增值税入门"}));
    EXPECT_TRUE(logged("文件地址:http://127.0.0.1:1/a.mp4, 文件id: 77, 文件名字: 增值税入门"));
    EXPECT_EQ(Toast::visibleToastTexts().back(), FilesDownManage::kToastAdded);
}

TEST_F(CourseDetailTest, AnUntitledCourseQueuesItsVideoAsVideo) {
    auto detail = openCourse(course("305", ""));
    detail->shouldStartLoadWithRequest(*detail->webView(), "video:http://127.0.0.1:1/a.mp4*77",
                                       platform::WebViewNavigationType::LinkClicked);
    EXPECT_EQ(queuedUrls(), std::vector<std::string>{"http://127.0.0.1:1/a.mp4 77 视频"});
}

TEST_F(CourseDetailTest, VideoLinksWithoutAStarOrAddressQueueNothing) {
    auto detail = openCourse(course("305"));
    auto& web = *detail->webView();
    detail->shouldStartLoadWithRequest(web, "video:*9", platform::WebViewNavigationType::LinkClicked);
    EXPECT_TRUE(Toast::visibleToastTexts().empty());
    detail->shouldStartLoadWithRequest(web, "video:http://127.0.0.1:1/a.mp4", platform::WebViewNavigationType::LinkClicked);
    EXPECT_EQ(Toast::visibleToastTexts(), std::vector<std::string>{"视频地址错误!"});
    EXPECT_TRUE(queuedUrls().empty());
}

TEST_F(CourseDetailTest, AFileIdentifierThatCouldNameAnotherPathIsRefusedBeforeTouchingTheDisk) {
    auto detail = openCourse(course("305"));
    auto& web = *detail->webView();
    for (const std::string& id : std::vector<std::string>{"../../escape", "a/b", "a\\b", "..", ".", std::string("a\x01", 2)}) {
        detail->shouldStartLoadWithRequest(web, "video:http://127.0.0.1:1/a.mp4*" + id,
                                           platform::WebViewNavigationType::LinkClicked);
        EXPECT_EQ(Toast::visibleToastTexts().back(), "视频地址错误!") << id;
    }
    EXPECT_TRUE(queuedUrls().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(container->path()) / "Documents" / "escape.mp4.plist"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(container->path()) / "Documents" / "DownLoad" / "Temp"/ "..mp4"));
}

TEST_F(CourseDetailTest, AnAddressWithVideoInsideLoadsLikeAnyOther) {
    auto detail = openCourse(course("305"));
    EXPECT_TRUE(detail->shouldStartLoadWithRequest(*detail->webView(), "http://x/page?next=video:a*1",
                                                   platform::WebViewNavigationType::LinkClicked));
    EXPECT_TRUE(queuedUrls().empty());
    EXPECT_FALSE(logged("视频下载逻辑"));
}

TEST_F(CourseDetailTest, TheFavouriteButtonAddsThenRemovesAndTellsTheFavouritesScreenEachTime) {
    int changes = 0;
    auto observation = platform::NotificationCenter::defaultCenter().addObserver(
        "CollectionChanged", [&](const platform::Notification&) { ++changes; });
    auto detail = openCourse(course("305"));
    EXPECT_FALSE(detail->isFavor());
    detail->favorButton()->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_TRUE(detail->isFavor());
    EXPECT_TRUE(FileManagerUtil::findShopCollection(course("305")));
    EXPECT_EQ(detail->favorButton()->imageForState(platform::ControlStateNormal)->source(), "favor_selected.png");
    detail->favorButton()->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_FALSE(detail->isFavor());
    EXPECT_FALSE(FileManagerUtil::findShopCollection(course("305")));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Toast::visibleToastTexts(), (std::vector<std::string>{"收藏成功", "取消收藏成功"}));
}

TEST_F(CourseDetailTest, AStoredCourseShowsAsFavouriteAtOnce) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("305")));
    auto detail = openCourse(course("305"));
    EXPECT_TRUE(detail->isFavor());
    EXPECT_EQ(detail->favorButton()->imageForState(platform::ControlStateNormal)->source(), "favor_selected.png");
}

TEST_F(CourseDetailTest, BackAndASwipeToTheRightCloseTheScreen) {
    openCourse(course("305"));
    ASSERT_EQ(device.swipe(platform::Value{{"from", {40, 300}}, {"to", {280, 300}}}).status, 200);
    advance(platform::ViewController::kTransitionDuration);
    EXPECT_NE(screens().back(), "CourseDetailViewCon");
}

}  // namespace
}  // namespace qelvo::test
