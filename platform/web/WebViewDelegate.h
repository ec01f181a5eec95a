#pragma once

#include <string>

namespace platform {

class WebView;

// Why the web view is about to load an address.
enum class WebViewNavigationType {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5,
};

// A load that did not complete; the codes are those of the HTTP session's errors
// (HttpError), plus kFrameLoadInterrupted for a redirect the delegate refused.
struct WebError {
    static constexpr int kFrameLoadInterrupted = 102;
    int code = 0;
    std::string description;
};

// Told of a web view's loads, on the main thread.
class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    // Asked before every address the view would load: the first one, each followed
    // link and each redirect. Answering false leaves the view as it is.
    virtual bool shouldStartLoadWithRequest(WebView& /*webView*/, const std::string& /*url*/,
                                            WebViewNavigationType /*type*/) {
        return true;
    }
    virtual void webViewDidStartLoad(WebView& /*webView*/) {}
    virtual void webViewDidFinishLoad(WebView& /*webView*/) {}
    virtual void didFailLoadWithError(WebView& /*webView*/, const WebError& /*error*/) {}
};

}  // namespace platform
