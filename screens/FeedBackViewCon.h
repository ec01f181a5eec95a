#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextView.h"
#include "screens/BaseViewCon.h"
#include "service/RequestHelp.h"

#include <memory>
#include <string>

// The feedback form: a text sent to the service with "mode=kym8.7" under the
// logged-in user's name. It closes itself once the service has accepted the text
// and keeps the text when the service refuses it or cannot be reached.
class FeedBackViewCon : public BaseViewCon, public platform::TextViewDelegate {
public:
    explicit FeedBackViewCon(std::string nibName = "FeedBackViewCon");
    std::string className() const override { return "FeedBackViewCon"; }

    void viewDidLoad() override;
    void back(platform::Control* sender) override;

    void textViewDidChange(platform::TextView& textView) override;
    bool shouldChangeTextInRange(platform::TextView& textView, platform::TextRange range,
                                 const std::string& replacement) override;
    void submitEvaluation(platform::Control& sender);

    std::shared_ptr<platform::TextView> textView() const { return _textView; }
    std::shared_ptr<platform::Label> tipLabel() const { return _tipLabel; }
    std::shared_ptr<RequestHelp> dataRequest() const { return _dataRequest; }

private:
    void submitted(const std::string& body);

    std::shared_ptr<platform::TextView> _textView;
    std::shared_ptr<platform::Label> _tipLabel;
    std::shared_ptr<platform::Button> _submitBtn;
    std::shared_ptr<RequestHelp> _dataRequest;
};
