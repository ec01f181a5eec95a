#pragma once

#include "platform/net/URLConnection.h"
#include "platform/ui/LinkFollower.h"
#include "platform/ui/View.h"
#include "platform/web/WebViewDelegate.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

// The embedded browser: loads one page at a time over the HTTP session (GET,
// redirects followed, each one shown to the delegate first) and keeps what the
// device API and the browser display need of it: its address, its visible text
// and its links. Every delegate call happens on the main thread.
class WebView : public View, public LinkFollower {
public:
    explicit WebView(Rect frame = Rect{});
    ~WebView() override;
    std::string className() const override { return "WebView"; }

    void setDelegate(std::weak_ptr<WebViewDelegate> delegate);
    // Asks the delegate (navigation type Other), then loads the address. An address
    // that is not a valid URL loads nothing and tells nobody.
    void loadRequest(const std::string& url);
    // A tap on a link in the page: the address is resolved against the page's, then
    // the delegate is asked (LinkClicked) before it loads.
    void followLink(const std::string& url) override;
    // Ends the load in flight without telling the delegate.
    void stopLoading();

    bool scalesPageToFit() const { return scalesPageToFit_; }
    void setScalesPageToFit(bool scales) { scalesPageToFit_ = scales; }

    // The address of the page shown (after redirects), or of the load in flight.
    std::string url() const { return url_; }
    bool isLoading() const { return loading_; }
    // The page's visible text, tags stripped and entities decoded.
    std::string pageText() const { return pageText_; }
    // The targets of the page's <a> elements, absolute.
    std::vector<std::string> links() const { return links_; }

    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    class Loader;
    friend class Loader;

    // Starts a transfer for an address the delegate allowed; `first` says whether
    // it begins a load (not a redirect within one).
    void startLoad(const std::string& url, bool first);
    void cancelTransfer();
    void receivedResponse(const HttpResponse& response);
    void receivedData(std::string_view data);
    void finishedTransfer();
    void failed(const WebError& error);
    bool ask(const std::string& url, WebViewNavigationType type);
    std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }

    std::weak_ptr<WebViewDelegate> delegate_;
    std::shared_ptr<URLConnection> connection_;
    std::shared_ptr<Loader> loader_;
    HttpResponse response_;
    std::string body_;
    std::string url_;
    std::string pageText_;
    std::vector<std::string> links_;
    int redirects_ = 0;
    bool loading_ = false;
    bool scalesPageToFit_ = false;
};

}  // namespace platform
