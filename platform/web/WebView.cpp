#include "platform/web/WebView.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/web/HtmlPage.h"
#include "platform/web/WebAddress.h"

#include <utility>

namespace platform {

// Hands the session's events of one load to the view while it exists; the view
// drops those of a load it has replaced.
class WebView::Loader final : public HttpTaskDelegate {
public:
    Loader(std::weak_ptr<WebView> view, std::uint64_t load) : view_(std::move(view)), load_(load) {}

    void didReceiveResponse(const HttpResponse& response) override {
        if (auto view = view_.lock()) {
            view->receivedResponse(load_, response);
        }
    }
    void didReceiveData(std::string_view chunk) override {
        if (auto view = view_.lock()) {
            view->receivedData(load_, chunk);
        }
    }
    void didFinish() override {
        if (auto view = view_.lock()) {
            view->finishedTransfer(load_);
        }
    }
    void didFail(const HttpError& error) override {
        if (auto view = view_.lock()) {
            view->failedTransfer(load_, error);
        }
    }

private:
    std::weak_ptr<WebView> view_;
    std::uint64_t load_;
};

namespace {

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

WebError webError(const HttpError& error) {
    return WebError{error.code, error.description};
}

}  // namespace

WebView::WebView(Rect frame) : View(frame) {}

WebView::~WebView() {
    cancelTransfer();
}

void WebView::setDelegate(std::weak_ptr<WebViewDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void WebView::loadRequest(const std::string& url) {
    if (!WebAddress::isValid(url)) {
        log("web view: no valid address in \"" + url + "\"");
        return;
    }
    if (ask(url, WebViewNavigationType::Other)) {
        begin(url);
    }
}

void WebView::followLink(const std::string& url) {
    if (!WebAddress::isValid(url)) {
        log("web view: no valid address in \"" + url + "\"");
        return;
    }
    std::string target = WebAddress::resolve(pageUrl_, url);
    if (ask(target, WebViewNavigationType::LinkClicked)) {
        begin(target);
    }
}

void WebView::stopLoading() {
    cancelTransfer();
    ++load_;
    loading_ = false;
}

bool WebView::ask(const std::string& url, WebViewNavigationType type) {
    auto target = delegate();
    return !target || target->shouldStartLoadWithRequest(*this, url, type);
}

void WebView::begin(const std::string& url) {
    cancelTransfer();
    std::uint64_t load = ++load_;
    std::weak_ptr<WebView> weak = std::static_pointer_cast<WebView>(sharedFromThis());
    if (!WebAddress::isLoadable(url)) {
        // Nothing here can show such an address; the page stays as it is.
        loading_ = false;
        pending_ = RunLoop::main().schedule(0, [weak, load] {
            if (auto view = weak.lock(); view && view->load_ == load) {
                view->fail(webError(HttpError::make(HttpError::UnsupportedURL)));
            }
        });
        return;
    }
    loading_ = true;
    loadingUrl_ = url;
    redirects_ = 0;
    pending_ = RunLoop::main().schedule(0, [weak, load, url] {
        auto view = weak.lock();
        if (!view || view->load_ != load) {
            return;
        }
        if (auto target = view->delegate()) {
            target->webViewDidStartLoad(*view);
        }
        if (view->load_ == load) {  // the delegate may have started another load
            view->request(url);
        }
    });
}

void WebView::request(const std::string& url) {
    response_ = HttpResponse{};
    body_.clear();
    HttpRequest http;
    http.url = url;
    http.headers.emplace_back("Accept", "text/html,application/xhtml+xml,*/*;q=0.8");
    // Each redirect is shown to the delegate before it is followed.
    http.followRedirects = false;
    std::weak_ptr<WebView> weak = std::static_pointer_cast<WebView>(sharedFromThis());
    task_ =
        HttpSession::shared().start(std::move(http), std::make_shared<Loader>(weak, load_), &RunLoop::main());
    restartTimeout();
}

void WebView::cancelTransfer() {
    pending_.cancel();
    timeout_.cancel();
    if (task_ != 0) {
        HttpSession::shared().cancel(task_);
        task_ = 0;
    }
}

void WebView::restartTimeout() {
    timeout_.cancel();
    std::weak_ptr<WebView> weak = std::static_pointer_cast<WebView>(sharedFromThis());
    std::uint64_t load = load_;
    timeout_ = RunLoop::main().schedule(kTimeoutSeconds, [weak, load] {
        if (auto view = weak.lock()) {
            view->failedTransfer(load, HttpError::make(HttpError::TimedOut));
        }
    });
}

void WebView::receivedResponse(std::uint64_t load, const HttpResponse& response) {
    if (load != load_ || task_ == 0) {
        return;
    }
    restartTimeout();
    response_ = response;
    body_.clear();
}

void WebView::receivedData(std::uint64_t load, std::string_view data) {
    if (load != load_ || task_ == 0) {
        return;
    }
    restartTimeout();
    if (body_.size() < kMaxBodyBytes) {
        body_.append(data.substr(0, kMaxBodyBytes - body_.size()));
    }
}

void WebView::finishedTransfer(std::uint64_t load) {
    if (load != load_ || task_ == 0) {
        return;
    }
    cancelTransfer();
    const std::string* location = response_.header("Location");
    if (!isRedirect(response_.status) || location == nullptr || location->empty()) {
        showPage();
        return;
    }
    std::string from = response_.url.empty() ? loadingUrl_ : response_.url;
    std::string target = WebAddress::resolve(from, *location);
    if (++redirects_ > kMaxRedirects) {
        fail(webError(HttpError::make(HttpError::HTTPTooManyRedirects)));
        return;
    }
    if (!WebAddress::isValid(target)) {
        fail(webError(HttpError::make(HttpError::BadURL)));
        return;
    }
    if (!ask(target, WebViewNavigationType::Other)) {
        if (load == load_) {
            fail(WebError{WebError::kFrameLoadInterrupted, "Frame load interrupted"});
        }
        return;
    }
    if (load != load_) {
        return;  // the delegate started another load while it was asked
    }
    if (!WebAddress::isLoadable(target)) {
        fail(webError(HttpError::make(HttpError::UnsupportedURL)));
        return;
    }
    loadingUrl_ = target;
    request(target);
}

void WebView::failedTransfer(std::uint64_t load, const HttpError& error) {
    if (load != load_ || task_ == 0) {
        return;
    }
    cancelTransfer();
    fail(webError(error));
}

void WebView::showPage() {
    pageUrl_ = response_.url.empty() ? loadingUrl_ : response_.url;
    const std::string* type = response_.header("Content-Type");
    std::string contentType = type ? *type : std::string();
    links_.clear();
    if (contentType.empty() || contentType.find("html") != std::string::npos) {
        HtmlPage page(body_);
        pageText_ = page.text();
        std::string base =
            page.baseHref().empty() ? pageUrl_ : WebAddress::resolve(pageUrl_, page.baseHref());
        for (const auto& href : page.hrefs()) {
            links_.push_back(WebAddress::resolve(base, href));
        }
    } else if (contentType.rfind("text/", 0) == 0) {
        pageText_ = body_;
    } else {
        pageText_.clear();
    }
    body_.clear();
    body_.shrink_to_fit();
    loading_ = false;
    if (auto target = delegate()) {
        target->webViewDidFinishLoad(*this);
    }
}

void WebView::fail(const WebError& error) {
    loading_ = false;
    log("web view: load failed (" + std::to_string(error.code) + ") " + error.description);
    if (auto target = delegate()) {
        target->didFailLoadWithError(*this, error);
    }
}

Value WebView::screenEntry() const {
    return Value{{"kind", "web"}, {"url", url()}, {"loading", loading_}};
}

void WebView::describe(Value& node) const {
    View::describe(node);
    node["url"] = url();
    node["loading"] = loading_;
    node["text"] = pageText_;
    node["links"] = links_;
    node["scalesPageToFit"] = scalesPageToFit_;
}

}  // namespace platform
