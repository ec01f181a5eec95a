#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <optional>
#include <string>

class ProgressHUD;
class RequestHelp;

// The login screen: two fields and a button. A successful "mode=8" fills the
// session, stores it, announces "UserLoginSuc" and closes the screen half a
// second later if it is still shown; a refusal or a failure shows a toast and keeps the old session.
class LoginViewCon : public BaseViewCon, public platform::TextFieldDelegate {
public:
    static constexpr const char* kUserLoginSucNotification = "UserLoginSuc";
    static constexpr double kCloseDelay = 0.5;

    explicit LoginViewCon(std::string nibName = "LoginViewCon");
    std::string className() const override { return "LoginViewCon"; }

    void viewDidLoad() override;
    void userLogin(platform::Control& sender);
    bool textFieldShouldReturn(platform::TextField& field) override;
    void back(platform::Control* sender) override;

    std::shared_ptr<platform::TextField> nameText() const { return _nameText; }
    std::shared_ptr<platform::TextField> pwdText() const { return _pwdText; }
    std::shared_ptr<ProgressHUD> progressHUD() const { return hud; }
    std::shared_ptr<RequestHelp> dataRequest() const { return _dataRequest; }

private:
    // The interface description: the two fields and the button below the title bar.
    void buildInterface();
    void loginReplied(const std::string& body);
    void loginFailed();
    // Pops this screen when it is the top of its stack, and nothing otherwise.
    void closeIfShown();

    std::shared_ptr<platform::TextField> _nameText;
    std::shared_ptr<platform::TextField> _pwdText;
    std::shared_ptr<platform::Button> _loginButton;
    std::shared_ptr<RequestHelp> _dataRequest;
    std::shared_ptr<ProgressHUD> hud;
};
