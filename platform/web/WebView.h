#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpSession.h"
#include "platform/ui/LinkFollower.h"
#include "platform/ui/View.h"
#include "platform/web/WebViewDelegate.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The embedded browser: loads one page at a time over the HTTP session (GET,
// redirects followed, each one shown to the delegate first) and keeps what the
// device API and the browser display need of it: its address, its visible text
// and its links. Every delegate call happens on the main thread, and the start of
// a load is told on the next turn of the main loop, never inside the call that
// asked for it. Any status with a body is a page (a 404 page finishes); only a
// load that gets no page fails.
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

    // The address of the load in flight, else of the page shown (after redirects).
    std::string url() const { return loading_ ? loadingUrl_ : pageUrl_; }
    bool isLoading() const { return loading_; }
    // Seconds without any sign of life from the server before a load fails.
    static constexpr double kTimeoutSeconds = 60.0;
    // Redirects followed within one load before it fails.
    static constexpr int kMaxRedirects = 20;
    // Bytes of a body kept for reading its text; the rest is received and dropped.
    static constexpr std::size_t kMaxBodyBytes = 4 * 1024 * 1024;
    // The page's visible text, tags stripped and entities decoded.
    std::string pageText() const { return pageText_; }
    // The targets of the page's <a> elements, made absolute against the page's address.
    std::vector<std::string> links() const { return links_; }

    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    class Loader;
    friend class Loader;

    // Begins a load of an address the delegate allowed.
    void begin(const std::string& url);
    // Requests one address of the load (the first, or where a redirect points).
    void request(const std::string& url);
    void cancelTransfer();
    void restartTimeout();
    void receivedResponse(std::uint64_t load, const HttpResponse& response);
    void receivedData(std::uint64_t load, std::string_view data);
    void finishedTransfer(std::uint64_t load);
    void failedTransfer(std::uint64_t load, const HttpError& error);
    void showPage();
    void fail(const WebError& error);
    bool ask(const std::string& url, WebViewNavigationType type);
    std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }

    std::weak_ptr<WebViewDelegate> delegate_;
    HttpTaskId task_ = 0;
    // The start (or the failure) told on the next turn, and the time-out of the transfer.
    Timer pending_;
    Timer timeout_;
    // Numbers the loads, so that events of a load that was replaced are dropped.
    std::uint64_t load_ = 0;
    HttpResponse response_;
    std::string body_;
    std::string loadingUrl_;
    std::string pageUrl_;
    std::string pageText_;
    std::vector<std::string> links_;
    int redirects_ = 0;
    bool loading_ = false;
    bool scalesPageToFit_ = false;
};

}  // namespace platform
