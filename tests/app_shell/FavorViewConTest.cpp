#include "platform/foundation/Json.h"
#include "tests/app_shell/StudentScreensTest.h"

#include "platform/foundation/NotificationCenter.h"
#include "screens/FavorViewCon.h"

namespace qelvo::test {
namespace {

class FavorViewConTest : public StudentScreensTest {
protected:
    void SetUp() override {
        StudentScreensTest::SetUp();
        launch();
    }
    std::shared_ptr<FavorViewCon> openFavourites() { return open(std::make_shared<FavorViewCon>("FavorViewCon")); }
    void deleteRow(FavorViewCon& screen, int row) {
        screen.commitEditingStyle(*screen.favorTableView(), platform::CellEditingStyle::Delete, {0, row});
        settle();
    }
    std::vector<std::string> storedTitles() {
        std::vector<std::string> titles;
        for (const auto& item : FileManagerUtil::getColltionArray().value_or(platform::Value::array())) {
            titles.push_back(item.value("title", ""));
        }
        return titles;
    }
};

TEST_F(FavorViewConTest, DeletingTheLastFavouriteShowsTheEmptyTextAndAFavouriteAddedElsewhereBringsTheRowBack) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("1", "个税")));
    auto screen = openFavourites();
    EXPECT_TRUE(shows("个税"));
    EXPECT_FALSE(shows(FavorViewCon::kEmptyText));

    deleteRow(*screen, 0);
    EXPECT_TRUE(shows(FavorViewCon::kEmptyText));
    EXPECT_TRUE(storedTitles().empty());

    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("2", "社保")));
    platform::NotificationCenter::defaultCenter().post("CollectionChanged");
    settle();
    EXPECT_TRUE(shows("社保"));
    EXPECT_FALSE(shows(FavorViewCon::kEmptyText));
}

TEST_F(FavorViewConTest, TwoFavouritesWithOneIdentifierLoseTheFirstStoredWhileTheScreenDropsTheRowDeleted) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("7", "第一")));
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("7", "第二")));
    auto screen = openFavourites();
    deleteRow(*screen, 1);
    EXPECT_EQ(storedTitles(), std::vector<std::string>{"第二"});
    ASSERT_EQ(screen->favorList().size(), 1U);
    EXPECT_EQ(screen->favorList()[0]["title"], "第一");
}

TEST_F(FavorViewConTest, TheEditButtonSwitchesEditingAndATapOpensTheCourseWithItsStoredData) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("9", "印花税")));
    auto screen = openFavourites();
    ASSERT_EQ(tapText("编辑").status, 200);
    EXPECT_TRUE(screen->favorTableView()->isEditing());
    ASSERT_EQ(tapText("完成").status, 200);
    EXPECT_FALSE(screen->favorTableView()->isEditing());

    ASSERT_EQ(tapText("印花税").status, 200);
    auto detail = std::dynamic_pointer_cast<CourseDetailViewCon>(stack().topViewController());
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->detailData(), course("9", "印花税"));
}

TEST_F(FavorViewConTest, RemovingTheCourseOnItsDetailScreenRemovesItsRowBeforeTheUserReturns) {
    ASSERT_TRUE(FileManagerUtil::collectShopItem(course("9", "印花税")));
    auto screen = openFavourites();
    ASSERT_EQ(tapText("印花税").status, 200);
    advance(platform::ViewController::kTransitionDuration);
    auto detail = std::dynamic_pointer_cast<CourseDetailViewCon>(stack().topViewController());
    ASSERT_TRUE(detail && detail->isFavor());
    detail->favorButton()->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_TRUE(screen->favorList().empty());
}

}  // namespace
}  // namespace qelvo::test
