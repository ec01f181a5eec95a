// The page screen in a navigation stack on the manual clock, loading from a loopback
// server, seen and driven through the device operations.

#include "platform/foundation/Json.h"
#include "screens/WebViewController.h"

#include "platform/device/Device.h"
#include "platform/ui/NavigationController.h"
#include "tests/components/ComponentsFixture.h"
#include "tests/net/NetTestSupport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

using platform::Rect;
using platform::Value;

// The screen with its title bar parts in reach and the links it was asked about.
class ProbeWebScreen : public WebViewController {
public:
    using BaseViewCon::baseNavBackView;
    using BaseViewCon::baseNavTitleLab;
    using BaseViewCon::baseNavView;

    bool shouldStartLoadWithRequest(platform::WebView& view, const std::string& url,
                                    platform::WebViewNavigationType type) override {
        asked.emplace_back(url, type);
        return WebViewController::shouldStartLoadWithRequest(view, url, type);
    }
    std::vector<std::pair<std::string, platform::WebViewNavigationType>> asked;
};

// Finds the first node of the tree that has `key`.
const Value* findNodeWith(const Value& node, const char* key) {
    if (node.is_object() && node.contains(key)) {
        return &node;
    }
    if (node.is_object() || node.is_array()) {
        for (const auto& child : node) {
            if (const Value* found = findNodeWith(child, key)) {
                return found;
            }
        }
    }
    return nullptr;
}

class WebViewControllerTest : public qelvo::test::ComponentsFixture {
protected:
    void SetUp() override {
        ComponentsFixture::SetUp();
        server.server().Get("/dir/page.html", [this](const httplib::Request&, httplib::Response& res) {
            ++requests;
            res.set_content(R"(<h1>关于我们</h1><a href="next.html">下一页</a>)", "text/html");
        });
        server.server().Get("/dir/next.html", [this](const httplib::Request&, httplib::Response& res) {
            ++requests;
            std::unique_lock lock(gate);
            gateOpened.wait_for(lock, std::chrono::seconds(10), [this] { return !nextHeld; });
            res.set_content("<p>next</p>", "text/html");
        });
        server.start();
        root = std::make_shared<platform::ViewController>();
        nav = std::make_shared<platform::NavigationController>(root);
        nav->setNavigationBarHidden(true);
        window->setRootViewController(nav);
    }

    void TearDown() override {
        releaseNext();
        screen.reset();
        nav.reset();
        root.reset();
        ComponentsFixture::TearDown();
        server.stop();
    }

    // Holds back the answer for next.html until `releaseNext`, so a test sees the
    // load in progress however fast loopback is.
    void holdNext() {
        std::lock_guard lock(gate);
        nextHeld = true;
    }
    void releaseNext() {
        {
            std::lock_guard lock(gate);
            nextHeld = false;
        }
        gateOpened.notify_all();
    }

    void open(const std::string& url, std::optional<std::string> title = "关于我们") {
        screen = std::make_shared<ProbeWebScreen>();
        screen->set_webUrl(url);
        screen->setNavTitle(std::move(title));
        screen->setHidesBottomBarWhenPushed(true);
        nav->pushViewController(screen, true);
        clock->advance(1.0);
        platform::RunLoop::main().runPending();
    }

    bool loadEnded() {
        bool ended = platform::RunLoop::main().runUntil([this] { return !screen->webView()->isLoading(); });
        clock->advance(1.0);  // the overlay's fade
        return ended;
    }

    void settle() {
        platform::RunLoop::main().runUntil([] { return false; }, 0.2);
        clock->advance(1.0);
    }

    bool overlayShows() const {
        return ProgressHUD::visibleLabelText() == std::optional<std::string>("加载中...");
    }

    qelvo::testing::LoopbackServer server;
    std::atomic<int> requests{0};
    std::mutex gate;
    std::condition_variable gateOpened;
    bool nextHeld = false;
    std::shared_ptr<platform::ViewController> root;
    std::shared_ptr<platform::NavigationController> nav;
    std::shared_ptr<ProbeWebScreen> screen;
    platform::Device device;
};

TEST_F(WebViewControllerTest, BuildsTheBarSpinnerPageAndOverlay) {
    qelvo::testing::SilentServer silent;
    open(silent.url("/"));
    EXPECT_EQ(screen->navTitle(), "关于我们");
    EXPECT_EQ(screen->baseNavTitleLab->text(), "关于我们");
    EXPECT_FALSE(screen->baseNavBackView->isHidden());
    auto spinner = screen->acView();
    EXPECT_EQ(spinner->superview(), screen->baseNavView.get());
    EXPECT_EQ(spinner->frame(), Rect::make(280, 31, 23, 23));
    auto page = screen->webView();
    EXPECT_EQ(page->frame(), Rect::make(0, 65, 320, 503));
    EXPECT_TRUE(page->scalesPageToFit());
    EXPECT_EQ(page->url(), silent.url("/"));
    ASSERT_TRUE(screen->hud());
    EXPECT_EQ(screen->hud()->superview(), page.get());
    EXPECT_EQ(screen->hud()->labelText(), "加载中...");
    EXPECT_EQ(screen->hud()->frame(), page->bounds()) << "it covers the page";
    ASSERT_EQ(screen->asked.size(), 1U);
    EXPECT_EQ(screen->asked[0].second, platform::WebViewNavigationType::Other);
}

TEST_F(WebViewControllerTest, OlderSystemsPutTheSpinnerHigher) {
    platform::Application::shared().setSystemVersion("6.1");
    qelvo::testing::SilentServer silent;
    open(silent.url("/"));
    EXPECT_EQ(screen->acView()->frame(), Rect::make(280, 11, 23, 23));
}

TEST_F(WebViewControllerTest, StartShowsSpinnerAndOverlayFinishStopsBoth) {
    qelvo::testing::SilentServer silent;
    open(silent.url("/"));
    EXPECT_TRUE(screen->acView()->isAnimating());
    EXPECT_FALSE(screen->acView()->isHidden());
    EXPECT_TRUE(overlayShows());
    EXPECT_EQ(device.screen().body["hud"], "加载中...");

    screen->webView()->loadRequest(server.url("/dir/page.html"));
    ASSERT_TRUE(loadEnded());
    EXPECT_FALSE(screen->acView()->isAnimating());
    EXPECT_TRUE(screen->acView()->isHidden());
    EXPECT_FALSE(overlayShows());
    EXPECT_TRUE(device.screen().body["hud"].is_null());
}

TEST_F(WebViewControllerTest, FailedLoadStopsBothAndSaysNothing) {
    open("http://127.0.0.1:" + std::to_string(qelvo::testing::unusedLoopbackPort()) + "/a");
    ASSERT_TRUE(loadEnded());
    EXPECT_TRUE(screen->acView()->isHidden());
    EXPECT_FALSE(overlayShows());
    Value shown = device.screen().body;
    EXPECT_TRUE(shown["toasts"].empty());
    EXPECT_TRUE(shown["alert"].is_null());
    EXPECT_EQ(nav->viewControllers().size(), 2U) << "the screen stays open";
}

TEST_F(WebViewControllerTest, AddressThatIsNoUrlShowsNoProgress) {
    open(server.url("/dir/page.html?a=b c"));
    settle();
    EXPECT_EQ(requests, 0);
    EXPECT_TRUE(screen->asked.empty());
    EXPECT_TRUE(screen->acView()->isHidden());
    EXPECT_FALSE(overlayShows());
}

TEST_F(WebViewControllerTest, NoTitleGivesAnEmptyBarWithTheBackButton) {
    open(server.url("/dir/page.html"), std::nullopt);
    EXPECT_EQ(screen->baseNavTitleLab->text(), "");
    EXPECT_FALSE(screen->baseNavView->isHidden());
    EXPECT_FALSE(screen->baseNavBackView->isHidden());
    ASSERT_TRUE(loadEnded());
}

TEST_F(WebViewControllerTest, SwipeRightOnThePagePopsAndSwipeLeftDoesNot) {
    open(server.url("/dir/page.html"));
    ASSERT_TRUE(loadEnded());
    EXPECT_EQ(device.swipe(Value{{"from", {280, 300}}, {"to", {40, 300}}}).status, 200);
    clock->advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 2U);
    EXPECT_EQ(device.swipe(Value{{"from", {40, 300}}, {"to", {280, 300}}}).status, 200);
    clock->advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 1U);
}

TEST_F(WebViewControllerTest, SwipeRightPopsEvenWhileTheOverlayCoversThePage) {
    qelvo::testing::SilentServer silent;
    open(silent.url("/"));
    ASSERT_TRUE(overlayShows());
    device.swipe(Value{{"from", {40, 300}}, {"to", {280, 300}}});
    clock->advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 1U);
}

TEST_F(WebViewControllerTest, BackPops) {
    open(server.url("/dir/page.html"));
    ASSERT_TRUE(loadEnded());
    EXPECT_EQ(device.back(Value::object()).status, 200);
    clock->advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 1U);
}

TEST_F(WebViewControllerTest, DeviceListsThePageAndItsLinksAndFollowsOne) {
    open(server.url("/dir/page.html"));
    ASSERT_TRUE(loadEnded());
    bool listed = false;
    Value shown = device.screen().body;
    for (const auto& entry : shown["views"]) {
        if (entry.contains("kind") && entry["kind"] == "web") {
            listed = true;
            EXPECT_EQ(entry["url"], server.url("/dir/page.html"));
            EXPECT_EQ(entry["loading"], false);
            EXPECT_EQ(entry["frame"], Value::array({0, 65, 320, 503}));
        }
    }
    EXPECT_TRUE(listed);
    Value tree = device.tree().body;
    const Value* node = findNodeWith(tree, "links");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ((*node)["text"], "关于我们\n下一页");
    EXPECT_EQ((*node)["links"], Value::array({server.url("/dir/next.html")}));

    holdNext();
    EXPECT_EQ(device.link(Value{{"url", "next.html"}}).status, 200);
    ASSERT_EQ(screen->asked.size(), 2U);
    EXPECT_EQ(screen->asked[1].first, server.url("/dir/next.html"));
    EXPECT_EQ(screen->asked[1].second, platform::WebViewNavigationType::LinkClicked);
    platform::RunLoop::main().runPending();
    EXPECT_TRUE(screen->acView()->isAnimating()) << "a followed link shows progress again";
    releaseNext();
    ASSERT_TRUE(loadEnded());
    EXPECT_EQ(screen->webView()->pageText(), "next");
    EXPECT_FALSE(overlayShows());
}

}  // namespace
