#pragma once

#include "components/ProgressHUD.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/web/WebView.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {
class GestureRecognizer;
}

// One course: its page of the service in a web view, the favourite button in the
// title bar, and the page's two ways of talking to the app: a "doLogin" link opens
// the login screen, a "video:" link queues the course video for download.
class CourseDetailViewCon : public BaseViewCon, public platform::WebViewDelegate {
public:
    static constexpr const char* kCollectionChangedNotification = "CollectionChanged";
    static constexpr const char* kVideoLinkPrefix = "video:";
    static constexpr const char* kDefaultVideoName = "视频";

    explicit CourseDetailViewCon(std::string nibName = "CourseDetailViewCon");
    std::string className() const override { return "CourseDetailViewCon"; }

    // The course exactly as the opener holds it; set before the screen is shown.
    const platform::Value& detailData() const { return _detailData; }
    void setDetailData(platform::Value detailData) { _detailData = std::move(detailData); }

    void viewDidLoad() override;
    void back(platform::Control* sender) override;

    // Loads the course page, with the user's identifier when somebody is logged in.
    void loadWebSite();
    void UserLoginSuc();
    void setFavorTag();
    void shopFavor(platform::Control& sender);
    void handleSwipeFrom(platform::GestureRecognizer& recognizer);

    bool shouldStartLoadWithRequest(platform::WebView& webView, const std::string& url,
                                    platform::WebViewNavigationType type) override;
    void webViewDidStartLoad(platform::WebView& webView) override;
    void webViewDidFinishLoad(platform::WebView& webView) override;
    void didFailLoadWithError(platform::WebView& webView, const platform::WebError& error) override;

    // The page address for the course and the session's user identifier.
    static std::string pageAddress(const platform::Value& course, const std::string& userId);

    std::shared_ptr<platform::WebView> webView() const { return _webView; }
    std::shared_ptr<platform::Button> favorButton() const { return _favorBtn; }
    bool isFavor() const { return _isFavor; }

private:
    void pushLogin();
    void queueVideo(const std::string& link);

    platform::Value _detailData = platform::Value::object();
    std::shared_ptr<platform::WebView> _webView;
    std::shared_ptr<platform::Button> _favorBtn;
    std::shared_ptr<ProgressHUD> hud;
    bool _isFavor = false;
    platform::Observation _loginObservation;
};
