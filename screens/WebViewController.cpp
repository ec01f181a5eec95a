#include "screens/WebViewController.h"

#include "platform/foundation/SharedSelf.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/SwipeGestureRecognizer.h"

using platform::Rect;
using platform::View;

WebViewController::WebViewController(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void WebViewController::viewDidLoad() {
    // The page fills the screen below the title bar, as the interface description lays it out.
    auto root = view();
    double top = navBarHeight();
    _webView = View::create<platform::WebView>(
        Rect::make(0, top, root->bounds().width(), root->bounds().height() - top));
    _webView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    root->addSubview(_webView);

    BaseViewCon::viewDidLoad();

    bool newer = platform::Application::shared().systemVersionNumber() >= 7.0;
    _acView = View::create<platform::ActivityIndicatorView>(platform::ActivityIndicatorStyle::White);
    _acView->setFrame(
        Rect::make(kIndicatorX, newer ? kIndicatorY : kOldIndicatorY, kIndicatorSize, kIndicatorSize));
    _acView->setHidesWhenStopped(true);
    baseNavView->addSubview(_acView);

    setNavigationTitle(navTitle_.value_or(""));

    _webView->setScalesPageToFit(true);
    _webView->setDelegate(platform::sharedSelf(this));
    // The address goes out exactly as the caller built it; one that is no URL loads nothing.
    _webView->loadRequest(_webUrl_);

    hud_ = View::create<ProgressHUD>(*root);
    hud_->setLabelText("加载中...");
    _webView->addSubview(hud_);

    auto swipe = std::make_shared<platform::SwipeGestureRecognizer>();
    swipe->setDirection(platform::SwipeDirectionRight);
    std::weak_ptr<ViewController> weak = weak_from_this();
    swipe->addAction([weak](platform::GestureRecognizer& recognizer) {
        if (auto screen = weak.lock()) {
            static_cast<WebViewController&>(*screen).handleSwipeFrom(
                static_cast<platform::SwipeGestureRecognizer*>(&recognizer));
        }
    });
    _webView->addGestureRecognizer(swipe);
}

void WebViewController::back(platform::Control* /*sender*/) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}

void WebViewController::handleSwipeFrom(platform::SwipeGestureRecognizer* /*recognizer*/) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}

void WebViewController::webViewDidStartLoad(platform::WebView& /*webView*/) {
    _acView->startAnimating();
    hud_->show(true);
}

void WebViewController::webViewDidFinishLoad(platform::WebView& /*webView*/) {
    stopProgress();
}

// A failed page shows no message: the screen stays on whatever the view shows.
void WebViewController::didFailLoadWithError(platform::WebView& /*webView*/,
                                             const platform::WebError& /*error*/) {
    stopProgress();
}

void WebViewController::stopProgress() {
    _acView->stopAnimating();
    hud_->hide(true);
}
