#include "platform/web/WebView.h"

namespace platform {

class WebView::Loader {};

WebView::WebView(Rect frame) : View(frame) {}

WebView::~WebView() {
    cancelTransfer();
}

void WebView::setDelegate(std::weak_ptr<WebViewDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void WebView::loadRequest(const std::string& url) {
    if (ask(url, WebViewNavigationType::Other)) {
        startLoad(url, true);
    }
}

void WebView::followLink(const std::string& url) {
    if (ask(url, WebViewNavigationType::LinkClicked)) {
        startLoad(url, true);
    }
}

void WebView::stopLoading() {
    cancelTransfer();
    loading_ = false;
}

void WebView::startLoad(const std::string& url, bool /*first*/) {
    url_ = url;
}

void WebView::cancelTransfer() {
    if (connection_) {
        connection_->cancel();
        connection_.reset();
    }
    loader_.reset();
}

void WebView::receivedResponse(const HttpResponse& response) {
    response_ = response;
}

void WebView::receivedData(std::string_view data) {
    body_.append(data);
}

void WebView::finishedTransfer() {
    loading_ = false;
}

void WebView::failed(const WebError& error) {
    loading_ = false;
    if (auto target = delegate()) {
        target->didFailLoadWithError(*this, error);
    }
}

bool WebView::ask(const std::string& url, WebViewNavigationType type) {
    auto target = delegate();
    return !target || target->shouldStartLoadWithRequest(*this, url, type);
}

Value WebView::screenEntry() const {
    return Value{{"kind", "web"}, {"url", url_}, {"loading", loading_}};
}

void WebView::describe(Value& node) const {
    View::describe(node);
    node["url"] = url_;
    node["loading"] = loading_;
    node["text"] = pageText_;
    node["links"] = links_;
    node["scalesPageToFit"] = scalesPageToFit_;
}

}  // namespace platform
