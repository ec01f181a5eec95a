// The device operations on a window built for each case: what the screen listing
// shows and leaves out, and how each action reaches the views.

#include "platform/device/Device.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/NetworkMonitor.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LinkFollower.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        RunLoop::main().adoptCurrentThread();
        RunLoop::main().reset();
        clock = std::make_shared<ManualClock>();
        RunLoop::main().setClock(clock);
        root = std::make_shared<ViewController>();
        nav = std::make_shared<NavigationController>(root);
        nav->setNavigationBarHidden(true);
        window = View::create<Window>(Screen::bounds());
        window->setRootViewController(nav);
        window->makeKeyAndVisible();
        content = root->view();
    }
    void TearDown() override {
        AlertView::dismissAll();
        Window::resetAll();
        Application::shared().reset();
        NetworkMonitor::shared().setOverride(std::nullopt);
        RunLoop::main().reset();
    }
    std::vector<std::string> texts() {
        std::vector<std::string> result;
        Value views = device.screen().body["views"];
        for (const auto& view : views) {
            if (view.contains("text")) {
                result.push_back(view["text"]);
            }
        }
        return result;
    }
    std::shared_ptr<Label> label(const std::string& text, Rect frame, View& parent) {
        auto l = View::create<Label>(frame);
        l->setText(text);
        parent.addSubview(l);
        return l;
    }

    Device device;
    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<ViewController> root;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<Window> window;
    std::shared_ptr<View> content;
};

TEST_F(DeviceTest, TheListingShowsWhatAPersonSeesOnceAndInWindowPoints) {
    auto box = View::create(Rect::make(10, 100, 300, 200));
    content->addSubview(box);
    label("visible", Rect::make(5, 5, 100, 20), *box);
    label("hidden", Rect::make(5, 30, 100, 20), *box)->setHidden(true);
    label("transparent", Rect::make(5, 55, 100, 20), *box)->setAlpha(0);
    label("outside", Rect::make(400, 5, 100, 20), *box);
    label("", Rect::make(5, 80, 100, 20), *box);
    auto button = View::create<Button>(Rect::make(5, 110, 100, 30));
    button->setTitle("press", ControlStateNormal);
    box->addSubview(button);
    // An opaque panel in front hides what lies wholly behind it.
    label("covered", Rect::make(20, 420, 50, 20), *content);
    auto panel = View::create(Rect::make(0, 400, 320, 100));
    panel->setBackgroundColor(Color::white());
    content->addSubview(panel);
    label("on the panel", Rect::make(10, 10, 100, 20), *panel);

    EXPECT_EQ(texts(), (std::vector<std::string>{"visible", "press", "on the panel"}));
    Value views = device.screen().body["views"];
    EXPECT_EQ(views[0]["frame"], Value::array({15.0, 105.0, 100.0, 20.0}));
    EXPECT_EQ(views[1]["kind"], "button");
}

TEST_F(DeviceTest, ScrolledContentIsListedWhereItShowsAndClippedAway) {
    auto scroll = View::create<ScrollView>(Rect::make(0, 100, 320, 100));
    scroll->setContentSize(Size{320, 1000});
    content->addSubview(scroll);
    label("first", Rect::make(0, 0, 100, 20), *scroll);
    label("far", Rect::make(0, 500, 100, 20), *scroll);
    EXPECT_EQ(texts(), std::vector<std::string>{"first"});
    scroll->setContentOffset(Point{0, 490});
    EXPECT_EQ(texts(), std::vector<std::string>{"far"});
    EXPECT_EQ(device.screen().body["views"][0]["frame"][1], 110.0);
}

TEST_F(DeviceTest, TapsByPointOrByTextReachTheControlAndBadCallsAreRefused) {
    int pressed = 0;
    for (int i = 0; i < 2; ++i) {
        auto button = View::create<Button>(Rect::make(10, 100 + 50.0 * i, 100, 40));
        button->setTitle("go", ControlStateNormal);
        button->addAction([&pressed, i](Control&) { pressed += i + 1; }, TouchUpInside);
        content->addSubview(button);
    }
    EXPECT_EQ(device.tap(Value{{"text", "go"}, {"index", 1}}).status, 200);
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(device.tap(Value{{"x", 20}, {"y", 110}}).status, 200);
    EXPECT_EQ(pressed, 3);
    EXPECT_EQ(device.tap(Value{{"text", "go"}, {"index", 2}}).status, 404);
    EXPECT_EQ(device.tap(Value{{"text", "stop"}}).status, 404);
    EXPECT_EQ(device.tap(Value{{"x", "left"}, {"y", 1}}).status, 400);
    EXPECT_EQ(device.tap(Value{{"x", 500}, {"y", 10}}).status, 400);
    EXPECT_EQ(device.tap(Value{{"text", "go"}, {"index", 0.5}}).status, 400);
    AlertView::create("t", "m", {}, std::string("ok"))->show();
    EXPECT_EQ(device.tap(Value{{"x", 20}, {"y", 110}}).status, 409);
    EXPECT_EQ(pressed, 3) << "nothing behind an alert is touched";
}

class RecordingScrollDelegate : public ScrollViewDelegate {
public:
    void scrollViewDidEndDragging(ScrollView&, bool willDecelerate) override {
        endedWithDeceleration = willDecelerate;
    }
    std::optional<bool> endedWithDeceleration;
};

TEST_F(DeviceTest, ADragMovesTheContentByTheDistanceAndLetsGoWithoutAFlick) {
    auto scroll = View::create<ScrollView>(Rect::make(0, 0, 320, 400));
    scroll->setContentSize(Size{320, 2000});
    auto delegate = std::make_shared<RecordingScrollDelegate>();
    scroll->setDelegate(delegate);
    content->addSubview(scroll);

    auto up = device.drag(Value{{"from", {160, 300}}, {"to", {160, 100}}});
    ASSERT_EQ(up.status, 200) << up.body.dump();
    EXPECT_EQ(scroll->contentOffset().y, 200);
    EXPECT_EQ(delegate->endedWithDeceleration, false);

    scroll->setContentOffset(Point{0, 0});
    ASSERT_EQ(device.drag(Value{{"from", {160, 100}}, {"to", {160, 180}}}).status, 200);
    EXPECT_EQ(scroll->contentOffset().y, -80) << "pulled past the top by the whole distance";
    EXPECT_EQ(delegate->endedWithDeceleration, true) << "it springs back";
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(scroll->contentOffset().y, 0);

    EXPECT_EQ(device.drag(Value{{"from", {160, 450}}, {"to", {160, 500}}}).status, 404);
    EXPECT_EQ(device.drag(Value{{"from", {160}}, {"to", {160, 500}}}).status, 400);
}

TEST_F(DeviceTest, SwipesGoToARecogniserAPagedViewOrARowToDelete) {
    int swiped = 0;
    auto area = View::create(Rect::make(0, 0, 320, 100));
    auto recognizer = std::make_shared<SwipeGestureRecognizer>();
    recognizer->setDirection(SwipeDirectionLeft);
    recognizer->addAction([&](GestureRecognizer&) { ++swiped; });
    area->addGestureRecognizer(recognizer);
    content->addSubview(area);
    EXPECT_EQ(device.swipe(Value{{"from", {280, 50}}, {"to", {40, 50}}}).status, 200);
    EXPECT_EQ(swiped, 1);
    EXPECT_EQ(device.swipe(Value{{"from", {40, 50}}, {"to", {50, 52}}}).status, 400) << "too short";

    auto pages = View::create<ScrollView>(Rect::make(0, 120, 320, 100));
    pages->setPagingEnabled(true);
    pages->setContentSize(Size{960, 100});
    content->addSubview(pages);
    ASSERT_EQ(device.swipe(Value{{"from", {280, 150}}, {"to", {40, 150}}}).status, 200);
    clock->advance(ScrollView::kSettleDuration);
    EXPECT_EQ(pages->contentOffset().x, 320) << "one page on";
}

class Rows : public TableViewDataSource, public TableViewEditingDataSource {
public:
    int numberOfRowsInSection(TableView&, int) override { return 3; }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, const IndexPath& path) override {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell) {
            cell = View::create<TableViewCell>(CellStyle::Default, "row");
        }
        cell->textLabel()->setText("row " + std::to_string(path.row));
        return cell;
    }
    void commitEditingStyle(TableView&, CellEditingStyle, const IndexPath& path) override {
        deleted = path.row;
    }
    int deleted = -1;
};

TEST_F(DeviceTest, ALeftSwipeOnARowOffersDeleteAndTheButtonCommits) {
    auto rows = std::make_shared<Rows>();
    auto table = View::create<TableView>(Rect::make(0, 0, 320, 300));
    table->setDataSource(rows);
    content->addSubview(table);
    table->reloadData();
    Value listed = device.screen().body["views"];
    ASSERT_GE(listed.size(), 1u);
    EXPECT_EQ(listed[0]["kind"], "cell");
    EXPECT_EQ(listed[0]["row"], 0);
    EXPECT_EQ(listed[0]["text"], "row 0");

    auto reply = device.swipe(Value{{"from", {280, 66}}, {"to", {60, 66}}});
    ASSERT_EQ(reply.status, 200) << reply.body.dump();
    EXPECT_EQ(reply.body["row"], 1);
    ASSERT_EQ(device.tap(Value{{"text", "删除"}}).status, 200);
    EXPECT_EQ(rows->deleted, 1);
}

class RefusingDelegate : public TextFieldDelegate {
public:
    bool shouldChangeCharactersInRange(TextField&, TextRange, const std::string& text) override {
        return text.find('!') == std::string::npos;
    }
    bool textFieldShouldReturn(TextField& field) override {
        returned = true;
        field.resignFirstResponder();
        return true;
    }
    bool returned = false;
};

TEST_F(DeviceTest, TypingGoesToTheFocusedFieldAsTheDelegateAllows) {
    EXPECT_EQ(device.type(Value{{"text", "x"}}).status, 409);
    auto field = View::create<TextField>(Rect::make(10, 100, 200, 40));
    auto delegate = std::make_shared<RefusingDelegate>();
    field->setDelegate(delegate);
    content->addSubview(field);
    device.tap(Value{{"x", 20}, {"y", 110}});
    ASSERT_TRUE(field->isFirstResponder());
    EXPECT_EQ(device.type(Value{{"text", "税务"}}).status, 200);
    EXPECT_EQ(field->text(), "税务");
    EXPECT_EQ(device.type(Value{{"text", "no!"}}).body["changed"], false);
    EXPECT_EQ(field->text(), "税务");
    EXPECT_EQ(device.type(Value{{"text", std::string("\xff\xfe")}}).status, 400);
    EXPECT_EQ(device.key(Value{{"key", "escape"}}).status, 400);
    EXPECT_EQ(device.key(Value{{"key", "return"}}).status, 200);
    EXPECT_TRUE(delegate->returned);
    EXPECT_FALSE(field->isFirstResponder());

    auto text = View::create<TextView>(Rect::make(10, 200, 300, 100));
    content->addSubview(text);
    device.tap(Value{{"x", 50}, {"y", 250}});
    device.type(Value{{"text", "意见"}});
    device.key(Value{{"key", "return"}});
    EXPECT_EQ(text->text(), "意见\n");
}

class Answers : public AlertViewDelegate {
public:
    void clickedButtonAtIndex(AlertView& alert, int index) override { answered = alert.tag() * 10 + index; }
    int answered = -1;
};

TEST_F(DeviceTest, AlertsAreReadAndAnswered) {
    EXPECT_EQ(device.alert(Value{{"button", 0}}).status, 409);
    auto answers = std::make_shared<Answers>();
    auto alert = AlertView::create("温馨提示", "您确定要退出登录吗?", answers, std::string("取消"), {"确认"});
    alert->setTag(8);
    alert->show();
    Value shown = device.screen().body["alert"];
    EXPECT_EQ(shown["title"], "温馨提示");
    EXPECT_EQ(shown["buttons"], Value::array({"取消", "确认"}));
    EXPECT_EQ(device.alert(Value{{"button", 2}}).status, 400);
    EXPECT_EQ(device.alert(Value{{"button", "1"}}).status, 400);
    EXPECT_EQ(device.alert(Value{{"button", 1}}).status, 200);
    EXPECT_EQ(answers->answered, 81);
    EXPECT_TRUE(device.screen().body["alert"].is_null());
}

class Page : public View, public LinkFollower {
public:
    Page() : View(Rect::make(0, 0, 320, 400)) {}
    void followLink(const std::string& url) override { followed.push_back(url); }
    std::vector<std::string> followed;
};

TEST_F(DeviceTest, LinksGoToTheFrontMostPageAndBackLeavesTheScreen) {
    EXPECT_EQ(device.link(Value{{"url", "http://a/"}}).status, 409);
    auto page = View::create<Page>();
    content->addSubview(page);
    EXPECT_EQ(device.link(Value{{"url", "video:http://h/a.mp4*7"}}).status, 200);
    EXPECT_EQ(page->followed, std::vector<std::string>{"video:http://h/a.mp4*7"});

    EXPECT_EQ(device.back(Value::object()).status, 409) << "the root has no way back";
    auto pushed = std::make_shared<ViewController>();
    nav->pushViewController(pushed, false);
    EXPECT_EQ(device.screen().body["screens"].size(), 2u);
    EXPECT_EQ(device.back(Value::object()).status, 200);
    clock->advance(ViewController::kTransitionDuration);
    EXPECT_EQ(device.screen().body["screens"].size(), 1u);
}

TEST_F(DeviceTest, ApplicationEventsAndTheNetworkAreSetThroughTheDevice) {
    auto& app = Application::shared();
    int terminated = 0;
    app.setTerminationHook([&] { ++terminated; });
    app.launch();
    EXPECT_EQ(device.app(Value{{"event", "enterBackground"}}).status, 200);
    EXPECT_EQ(app.state(), ApplicationState::Background);
    EXPECT_EQ(device.app(Value{{"event", "enterForeground"}}).status, 200);
    EXPECT_EQ(app.state(), ApplicationState::Active);
    EXPECT_EQ(device.app(Value{{"event", "sleep"}}).status, 400);
    EXPECT_EQ(device.network(Value{{"status", "cellular"}}).status, 200);
    EXPECT_EQ(NetworkMonitor::shared().status(), NetworkStatus::Cellular);
    EXPECT_EQ(device.network(Value{{"status", "wifi"}}).status, 200);
    EXPECT_EQ(NetworkMonitor::shared().status(), NetworkStatus::WiFi);
    EXPECT_EQ(device.quit(Value::object()).status, 200);
    EXPECT_EQ(terminated, 1);
}

TEST_F(DeviceTest, TheTreeDescribesEveryViewButNotInsideHiddenOnes) {
    auto box = View::create(Rect::make(0, 50, 100, 100));
    box->setTag(7);
    box->setBackgroundColor(Color::rgb255(0, 92, 123));
    content->addSubview(box);
    label("inside", Rect::make(0, 0, 50, 20), *box);
    auto hidden = View::create(Rect::make(0, 200, 10, 10));
    hidden->setHidden(true);
    label("secret", Rect::make(0, 0, 10, 10), *hidden);
    content->addSubview(hidden);
    Value tree = device.tree().body;
    EXPECT_EQ(tree["window"]["class"], "Window");
    std::string dumped = tree.dump();
    EXPECT_NE(dumped.find("\"tag\":7"), std::string::npos);
    EXPECT_NE(dumped.find("rgba(0,92,123,1)"), std::string::npos);
    EXPECT_NE(dumped.find("inside"), std::string::npos);
    EXPECT_EQ(dumped.find("secret"), std::string::npos);
}

}  // namespace
