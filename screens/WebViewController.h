#pragma once

#include "components/ProgressHUD.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/web/WebView.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {
class SwipeGestureRecognizer;
}  // namespace platform

// The page screen: shows one page of the service in a web view with a spinner in the
// title bar and the progress overlay while it loads; back and a swipe right pop it.
class WebViewController : public BaseViewCon, public platform::WebViewDelegate {
public:
    static constexpr double kIndicatorX = 280;
    static constexpr double kIndicatorY = 31;     // systems from version 7
    static constexpr double kOldIndicatorY = 11;  // older systems
    static constexpr double kIndicatorSize = 23;

    explicit WebViewController(std::string nibName = "WebViewController");
    std::string className() const override { return "WebViewController"; }

    // The page's address, loaded exactly as given; set before the screen is shown.
    void set_webUrl(std::string url) { _webUrl_ = std::move(url); }
    const std::string& _webUrl() const { return _webUrl_; }
    // The title bar's text; a screen without one shows an empty bar.
    void setNavTitle(std::optional<std::string> title) { navTitle_ = std::move(title); }
    const std::optional<std::string>& navTitle() const { return navTitle_; }

    void viewDidLoad() override;
    void back(platform::Control* sender) override;
    void handleSwipeFrom(platform::SwipeGestureRecognizer* recognizer);

    void webViewDidStartLoad(platform::WebView& webView) override;
    void webViewDidFinishLoad(platform::WebView& webView) override;
    void didFailLoadWithError(platform::WebView& webView, const platform::WebError& error) override;

    std::shared_ptr<platform::WebView> webView() const { return _webView; }
    std::shared_ptr<platform::ActivityIndicatorView> acView() const { return _acView; }
    std::shared_ptr<ProgressHUD> hud() const { return hud_; }

private:
    void stopProgress();

    std::string _webUrl_;
    std::optional<std::string> navTitle_;
    std::shared_ptr<platform::WebView> _webView;
    std::shared_ptr<platform::ActivityIndicatorView> _acView;
    std::shared_ptr<ProgressHUD> hud_;
};
