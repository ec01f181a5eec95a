#pragma once

// A delegate that writes down every call of the web view, in order.

#include "platform/web/WebView.h"

#include <functional>
#include <string>
#include <vector>

namespace qelvo::test {

class RecordingWebDelegate : public platform::WebViewDelegate {
public:
    bool shouldStartLoadWithRequest(platform::WebView&, const std::string& url,
                                    platform::WebViewNavigationType type) override {
        bool link = type == platform::WebViewNavigationType::LinkClicked;
        events.push_back((link ? "link " : "ask ") + url);
        return !refuse || !refuse(url);
    }
    void webViewDidStartLoad(platform::WebView& view) override {
        events.push_back("start");
        loadingAtStart = view.isLoading();
    }
    void webViewDidFinishLoad(platform::WebView&) override { events.push_back("finish"); }
    void didFailLoadWithError(platform::WebView&, const platform::WebError& error) override {
        events.push_back("fail " + std::to_string(error.code));
    }
    bool ended() const {
        return !events.empty() && (events.back() == "finish" || events.back().rfind("fail", 0) == 0);
    }

    std::function<bool(const std::string&)> refuse;
    std::vector<std::string> events;
    bool loadingAtStart = false;
};

}  // namespace qelvo::test
