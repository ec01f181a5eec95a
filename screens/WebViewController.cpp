#include "screens/WebViewController.h"

#include "platform/ui/NavigationController.h"

WebViewController::WebViewController(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void WebViewController::viewDidLoad() {
    BaseViewCon::viewDidLoad();
}

void WebViewController::back(platform::Control* /*sender*/) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}

void WebViewController::handleSwipeFrom(platform::SwipeGestureRecognizer* /*recognizer*/) {
    back(nullptr);
}

void WebViewController::webViewDidStartLoad(platform::WebView& /*webView*/) {}

void WebViewController::webViewDidFinishLoad(platform::WebView& /*webView*/) {
    stopProgress();
}

void WebViewController::didFailLoadWithError(platform::WebView& /*webView*/,
                                             const platform::WebError& /*error*/) {
    stopProgress();
}

void WebViewController::stopProgress() {}
