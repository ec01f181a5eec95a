#include "screens/FeedBackViewCon.h"

#include "app/LoginInstance.h"
#include "components/BrandColor.h"
#include "components/Toast.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/ui/NavigationController.h"
#include "screens/Waiter.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

namespace {


}  // namespace

FeedBackViewCon::FeedBackViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void FeedBackViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    auto self = platform::sharedSelf(this);
    setBackStyle(kBackStyleBack);
    setNavigationTitle("意见反馈");
    view()->setBackgroundColor(platform::Color::white(0.96));

    // The interface description: the text box with its hint, and the submit button.
    double top = navBarHeight();
    _textView = platform::View::create<platform::TextView>(platform::Rect::make(15, top + 15, 290, 180));
    _textView->setFont(platform::Font::systemFont(15));
    _textView->setBackgroundColor(platform::Color::white());
    _textView->setBorderWidth(1);
    _textView->setBorderColor(platform::Color::white(0.8));
    _textView->setCornerRadius(5);
    _textView->setDelegate(std::static_pointer_cast<platform::TextViewDelegate>(self));
    view()->addSubview(_textView);

    _tipLabel = platform::View::create<platform::Label>(platform::Rect::make(22, top + 22, 276, 20));
    _tipLabel->setFont(platform::Font::systemFont(14));
    _tipLabel->setTextColor(platform::Color::white(0.6));
    _tipLabel->setText("请写下您的意见和建议");
    _tipLabel->setUserInteractionEnabled(false);
    view()->addSubview(_tipLabel);

    _submitBtn = platform::View::create<platform::Button>(platform::Rect::make(15, top + 215, 290, 44));
    _submitBtn->setTitle("提交", platform::ControlStateNormal);
    _submitBtn->setTitleColor(platform::Color::white(), platform::ControlStateNormal);
    _submitBtn->titleLabel()->setFont(platform::Font::boldSystemFont(17));
    _submitBtn->setBackgroundColor(brandColor());
    _submitBtn->setCornerRadius(5);
    _submitBtn->addTarget(self, &FeedBackViewCon::submitEvaluation, platform::TouchUpInside);
    view()->addSubview(_submitBtn);
}

void FeedBackViewCon::textViewDidChange(platform::TextView& textView) {
    _tipLabel->setHidden(!textView.text().empty());
}

bool FeedBackViewCon::shouldChangeTextInRange(platform::TextView& textView, platform::TextRange,
                                              const std::string& replacement) {
    if (replacement == "\n") {
        textView.resignFirstResponder();
    }
    return true;
}

void FeedBackViewCon::submitEvaluation(platform::Control&) {
    if (_textView->text().empty()) {
        Toast::showToastWithText("请输入反馈内容!");
        return;
    }
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    if (_dataRequest->running()) {
        return;
    }
    Waiter::instance().show();
    // The service files feedback under the user's name, not the identifier.
    std::string userName = LoginInstance::getUserInstance().userName().value_or("");
    auto self = platform::sharedSelf(this);
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::feedback(userName, _textView->text()),
        [self](const std::string& body) { self->submitted(body); },
        [](const platform::HttpError&) {
            platform::log("加载出错");
            Waiter::instance().hide();
            Toast::showToastWithText("提交失败,请检查网络!");
        });
}

void FeedBackViewCon::submitted(const std::string& body) {
    Waiter::instance().hide();
    auto reply = platform::Json::parseDictionary(body);
    if (reply && platform::Json::stringForKey(*reply, "result") == "0") {
        Toast::showToastWithText("感谢您的宝贵意见!");
        back(nullptr);
        return;
    }
    if (!reply) {
        // A reply that is not JSON has no message; the failure text says what to do.
        Toast::showToastWithText("提交失败,请检查网络!");
        return;
    }
    // Only a text is shown: a "message" of another kind says nothing to the user.
    Toast::showToastWithText(ServiceReply::message(*reply));
}

void FeedBackViewCon::back(platform::Control*) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}
