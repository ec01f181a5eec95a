// The web view against a loopback server: what it asks its delegate, what it loads,
// and what it keeps of the page.

#include "platform/foundation/Json.h"
#include "platform/web/WebView.h"

#include "tests/net/NetTestSupport.h"
#include "tests/web/WebTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::HttpError;
using platform::View;
using platform::WebView;
using qelvo::test::RecordingWebDelegate;
using qelvo::testing::LoopbackServer;
using Events = std::vector<std::string>;

const char* const kPage = R"(<html><head><title>t</title></head><body>
<h1>增值税 &amp; 发票</h1><p>正文</p>
<a href="next.html">下一页</a> <a href="/wcm/doLogin">登录</a> <a href="video:http://h/a.mp4*7">下载</a>
</body></html>)";

class WebViewTest : public qelvo::testing::MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        clock = useManualClock();
        auto& http = server.server();
        http.Get("/dir/page.html", [this](const httplib::Request&, httplib::Response& res) {
            ++requests;
            res.set_content(kPage, "text/html; charset=utf-8");
        });
        http.Get("/dir/next.html", [this](const httplib::Request&, httplib::Response& res) {
            ++requests;
            for (int waited = 0; !answerNext && waited < 5000; ++waited) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            res.set_content("<p>second page</p>", "text/html");
        });
        http.Get("/old", [this](const httplib::Request&, httplib::Response& res) {
            ++requests;
            res.set_redirect("/dir/page.html");
        });
        http.Get("/loop", [this](const httplib::Request&, httplib::Response& res) {
            ++requests;
            res.set_redirect("/loop");
        });
        http.Get("/plain.txt", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("plain <b>text</b>", "text/plain");
        });
        http.Get("/missing", [this](const httplib::Request&, httplib::Response& res) {
            ++requests;
            res.status = 404;
            res.set_content("<h1>404</h1><p>没有这个页面</p>", "text/html");
        });
        server.start();
        view = View::create<WebView>(platform::Rect::make(0, 65, 320, 503));
        delegate = std::make_shared<RecordingWebDelegate>();
        view->setDelegate(delegate);
    }

    void TearDown() override {
        view.reset();
        server.stop();
        MainLoopTest::TearDown();
    }

    bool runUntilEnded() {
        return mainLoop().runUntil([this] { return delegate->ended(); }, 10.0);
    }

    // Gives a request that should not exist time to arrive.
    void settle() {
        mainLoop().runUntil([] { return false; }, 0.2);
    }

    LoopbackServer server;
    std::atomic<int> requests{0};
    // Cleared, the second page's answer waits (up to five seconds) until it is set again.
    std::atomic<bool> answerNext{true};
    std::shared_ptr<platform::ManualClock> clock;
    std::shared_ptr<WebView> view;
    std::shared_ptr<RecordingWebDelegate> delegate;
};

TEST_F(WebViewTest, AsksFirstThenTellsStartOnTheNextTurnThenFinish) {
    std::string url = server.url("/dir/page.html");
    view->loadRequest(url);
    EXPECT_EQ(delegate->events, Events{"ask " + url}) << "the start is never told inside loadRequest";
    EXPECT_TRUE(view->isLoading());
    EXPECT_EQ(view->url(), url);
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events, (Events{"ask " + url, "start", "finish"}));
    EXPECT_TRUE(delegate->loadingAtStart);
    EXPECT_FALSE(view->isLoading());
    EXPECT_EQ(requests, 1);
}

TEST_F(WebViewTest, KeepsThePageTextAndItsLinksMadeAbsolute) {
    view->loadRequest(server.url("/dir/page.html"));
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(view->pageText(), "增值税 & 发票\n正文\n下一页 登录 下载");
    EXPECT_EQ(view->links(),
              (Events{server.url("/dir/next.html"), server.url("/wcm/doLogin"), "video:http://h/a.mp4*7"}));
}

TEST_F(WebViewTest, TextOfAPlainTextPageIsTheBodyAsItIs) {
    view->loadRequest(server.url("/plain.txt"));
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(view->pageText(), "plain <b>text</b>");
    EXPECT_TRUE(view->links().empty());
}

TEST_F(WebViewTest, RefusedFirstLoadLoadsNothing) {
    delegate->refuse = [](const std::string&) { return true; };
    view->loadRequest(server.url("/dir/page.html"));
    settle();
    EXPECT_EQ(delegate->events, Events{"ask " + server.url("/dir/page.html")});
    EXPECT_EQ(requests, 0);
    EXPECT_FALSE(view->isLoading());
    EXPECT_EQ(view->url(), "");
}

TEST_F(WebViewTest, AddressThatIsNoUrlLoadsNothingAndAsksNobody) {
    view->loadRequest(server.url("/dir/page.html?title=a b"));
    view->loadRequest("http://127.0.0.1/课程");
    view->loadRequest("");
    settle();
    EXPECT_TRUE(delegate->events.empty());
    EXPECT_EQ(requests, 0);
    EXPECT_FALSE(view->isLoading());
}

TEST_F(WebViewTest, RedirectIsShownToTheDelegateAndFollowed) {
    view->loadRequest(server.url("/old"));
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events, (Events{"ask " + server.url("/old"), "start",
                                        "ask " + server.url("/dir/page.html"), "finish"}));
    EXPECT_EQ(view->url(), server.url("/dir/page.html"));
    EXPECT_EQ(view->links().front(), server.url("/dir/next.html"))
        << "links resolve against the final address";
    EXPECT_EQ(requests, 2);
}

TEST_F(WebViewTest, RefusedRedirectFailsTheLoad) {
    delegate->refuse = [](const std::string& url) { return url.find("page.html") != std::string::npos; };
    view->loadRequest(server.url("/old"));
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events.back(), "fail " + std::to_string(platform::WebError::kFrameLoadInterrupted));
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(view->url(), "") << "no page was shown";
}

TEST_F(WebViewTest, EndlessRedirectsFail) {
    view->loadRequest(server.url("/loop"));
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events.back(), "fail " + std::to_string(HttpError::HTTPTooManyRedirects));
    EXPECT_EQ(requests, WebView::kMaxRedirects + 1);
}

TEST_F(WebViewTest, NotFoundPageIsStillAPageThatFinishes) {
    view->loadRequest(server.url("/missing"));
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events, (Events{"ask " + server.url("/missing"), "start", "finish"}));
    EXPECT_EQ(view->pageText(), "404\n没有这个页面");
}

TEST_F(WebViewTest, UnreachableServerFailsAfterTheStart) {
    std::string url = "http://127.0.0.1:" + std::to_string(qelvo::testing::unusedLoopbackPort()) + "/a";
    view->loadRequest(url);
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events,
              (Events{"ask " + url, "start", "fail " + std::to_string(HttpError::CannotConnectToHost)}));
    EXPECT_FALSE(view->isLoading());
}

TEST_F(WebViewTest, SilentServerTimesOutOnTheLoopClock) {
    qelvo::testing::SilentServer silent;
    view->loadRequest(silent.url("/"));
    mainLoop().runPending();
    EXPECT_EQ(delegate->events.back(), "start");
    clock->advance(WebView::kTimeoutSeconds - 1);
    mainLoop().runPending();
    EXPECT_FALSE(delegate->ended());
    clock->advance(1.5);
    mainLoop().runPending();
    EXPECT_EQ(delegate->events.back(), "fail " + std::to_string(HttpError::TimedOut));
}

TEST_F(WebViewTest, ANewLoadReplacesTheOneInFlight) {
    qelvo::testing::SilentServer silent;
    view->loadRequest(silent.url("/never"));
    mainLoop().runPending();
    view->loadRequest(server.url("/dir/next.html"));
    ASSERT_TRUE(runUntilEnded());
    clock->advance(WebView::kTimeoutSeconds * 2);
    settle();
    EXPECT_EQ(delegate->events, (Events{"ask " + silent.url("/never"), "start",
                                        "ask " + server.url("/dir/next.html"), "start", "finish"}))
        << "the replaced load neither finishes nor fails";
    EXPECT_EQ(view->pageText(), "second page");
}

TEST_F(WebViewTest, LoadReplacedBeforeItsStartIsNeverStarted) {
    view->loadRequest(server.url("/missing"));
    view->loadRequest(server.url("/dir/next.html"));
    ASSERT_TRUE(runUntilEnded());
    settle();
    EXPECT_EQ(delegate->events, (Events{"ask " + server.url("/missing"),
                                        "ask " + server.url("/dir/next.html"), "start", "finish"}));
    EXPECT_EQ(requests, 1);
}

class WebViewLinkTest : public WebViewTest {
protected:
    void SetUp() override {
        WebViewTest::SetUp();
        view->loadRequest(server.url("/dir/page.html"));
        ASSERT_TRUE(runUntilEnded());
        delegate->events.clear();
        requests = 0;
    }
};

TEST_F(WebViewLinkTest, FollowedLinkIsAskedAsLinkClickedResolvedAgainstThePage) {
    view->followLink("next.html");
    EXPECT_EQ(delegate->events, Events{"link " + server.url("/dir/next.html")});
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events, (Events{"link " + server.url("/dir/next.html"), "start", "finish"}));
    EXPECT_EQ(view->url(), server.url("/dir/next.html"));
    EXPECT_EQ(view->pageText(), "second page");
}

TEST_F(WebViewLinkTest, RefusedLinkLoadsNothingAndKeepsThePage) {
    delegate->refuse = [](const std::string& url) { return url.find("doLogin") != std::string::npos; };
    view->followLink(view->links()[1]);
    settle();
    EXPECT_EQ(delegate->events, Events{"link " + server.url("/wcm/doLogin")});
    EXPECT_EQ(requests, 0);
    EXPECT_EQ(view->url(), server.url("/dir/page.html"));
    EXPECT_FALSE(view->isLoading());
}

TEST_F(WebViewLinkTest, AllowedLinkOfAnotherSchemeFailsWithoutAStart) {
    view->followLink("video:http://h/a.mp4*7");
    EXPECT_EQ(delegate->events, Events{"link video:http://h/a.mp4*7"});
    ASSERT_TRUE(runUntilEnded());
    EXPECT_EQ(delegate->events,
              (Events{"link video:http://h/a.mp4*7", "fail " + std::to_string(HttpError::UnsupportedURL)}));
    EXPECT_EQ(view->url(), server.url("/dir/page.html")) << "the page stays";
    EXPECT_EQ(view->pageText(), "增值税 & 发票\n正文\n下一页 登录 下载");
}

TEST_F(WebViewLinkTest, InvalidLinkLoadsNothing) {
    view->followLink("next page.html");
    settle();
    EXPECT_TRUE(delegate->events.empty());
    EXPECT_EQ(requests, 0);
}

TEST_F(WebViewLinkTest, ListsItselfForTheDeviceWithItsPage) {
    platform::Value entry = view->screenEntry();
    EXPECT_EQ(entry["kind"], "web");
    EXPECT_EQ(entry["url"], server.url("/dir/page.html"));
    EXPECT_EQ(entry["loading"], false);
    platform::Value node = platform::Value::object();
    view->describe(node);
    EXPECT_EQ(node["text"], view->pageText());
    EXPECT_EQ(node["links"].size(), 3U);
    EXPECT_EQ(node["links"][2], "video:http://h/a.mp4*7");
    view->followLink("next.html");
    EXPECT_EQ(view->screenEntry()["loading"], true);
    EXPECT_EQ(view->screenEntry()["url"], server.url("/dir/next.html"));
}

TEST_F(WebViewLinkTest, ViewGoneBeforeTheAnswerHearsNothing) {
    answerNext = false;
    view->followLink("next.html");
    mainLoop().runPending();
    view.reset();
    answerNext = true;
    settle();
    EXPECT_EQ(delegate->events, (Events{"link " + server.url("/dir/next.html"), "start"}));
}

}  // namespace
