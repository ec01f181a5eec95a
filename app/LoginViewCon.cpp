#include "app/LoginViewCon.h"

#include "app/LoginInstance.h"
#include "app/SessionStore.h"
#include "components/BrandColor.h"
#include "components/ProgressHUD.h"
#include "components/Toast.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

namespace {

const platform::Color kFieldBorder = platform::Color::rgb255(200, 205, 210);

// The identifier as the service sent it: a string as it is, a whole number as its
// decimal text; anything else is no identifier.
std::optional<std::string> userIdOf(const platform::Value& reply) {
    const platform::Value* value = platform::Json::find(reply, "userId");
    if (!value) {
        return std::nullopt;
    }
    if (value->is_string()) {
        return value->get<std::string>();
    }
    if (value->is_number_integer()) {
        return platform::Json::description(value);
    }
    return std::nullopt;
}

}  // namespace

LoginViewCon::LoginViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void LoginViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(1);
    setNavigationTitle("登录");
    buildInterface();
    hud = std::make_shared<ProgressHUD>(*view());
    hud->setLabelText("正在登录...");
    view()->addSubview(hud);
}

void LoginViewCon::buildInterface() {
    double top = platform::Application::shared().systemVersionNumber() >= 7.0 ? 65 : 45;
    auto self = platform::sharedSelf(this);
    std::weak_ptr<platform::TextFieldDelegate> delegate = self;

    auto makeField = [&](double y, const char* placeholder) {
        auto field = platform::View::create<platform::TextField>(platform::Rect::make(30, top + y, 260, 40));
        field->setPlaceholder(placeholder);
        field->setFont(platform::Font::systemFont(16));
        field->setBorderStyle(platform::TextBorderStyle::RoundedRect);
        field->setBackgroundColor(platform::Color::white());
        field->setBorderWidth(1);
        field->setBorderColor(kFieldBorder);
        field->setCornerRadius(5);
        field->setDelegate(delegate);
        view()->addSubview(field);
        return field;
    };
    _nameText = makeField(30, "用户名");
    _pwdText = makeField(85, "密码");
    _pwdText->setSecureTextEntry(true);

    _loginButton = platform::View::create<platform::Button>(platform::Rect::make(30, top + 150, 260, 44));
    _loginButton->setTitle("登录", platform::ControlStateNormal);
    _loginButton->titleLabel()->setFont(platform::Font::boldSystemFont(17));
    _loginButton->setBackgroundColor(brandColor());
    _loginButton->setCornerRadius(5);
    _loginButton->addTarget(self, &LoginViewCon::userLogin, platform::TouchUpInside);
    view()->addSubview(_loginButton);

    // A tap beside the fields closes the keyboard.
    auto tap = std::make_shared<platform::TapGestureRecognizer>();
    std::weak_ptr<platform::View> screenView = view();
    tap->addAction([screenView](platform::GestureRecognizer&) {
        if (auto shown = screenView.lock()) {
            shown->endEditing();
        }
    });
    tap->setCancelsTouchesInView(false);
    view()->addGestureRecognizer(tap);
}

bool LoginViewCon::textFieldShouldReturn(platform::TextField& field) {
    field.resignFirstResponder();
    return true;
}

void LoginViewCon::userLogin(platform::Control&) {
    if (_nameText->text().empty()) {
        Toast::showToastWithText("请输入您的用户名!");
        return;
    }
    if (_pwdText->text().empty()) {
        Toast::showToastWithText("请输入您的密码!");
        return;
    }
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    hud->show(true);
    // The request keeps the screen alive until its answer has been handled.
    auto self = platform::sharedSelf(this);
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::login(_nameText->text(), _pwdText->text()),
        [self](const std::string& body) { self->loginReplied(body); },
        [self](const platform::HttpError&) {
            platform::log("加载出错");
            self->loginFailed();
        });
}

void LoginViewCon::loginReplied(const std::string& body) {
    hud->hide(true);
    auto reply = platform::Json::parseDictionary(body);
    if (!reply) {
        // A reply that is not a JSON object says nothing about the login: treat it
        // as a failed request rather than showing an empty message.
        platform::log("加载出错");
        Toast::showToastWithText("请检查网络!");
        return;
    }
    if (platform::Json::stringForKey(*reply, "result") != "0") {
        // Only a text is shown: a "message" of another kind says nothing to the user.
        Toast::showToastWithText(ServiceReply::message(*reply));
        return;
    }
    Toast::showToastWithText("登录成功");
    LoginInstance& session = LoginInstance::getUserInstance();
    session.setUserId(userIdOf(*reply));
    session.setUserName(_nameText->text());
    SessionStore::save();
    platform::NotificationCenter::defaultCenter().post(kUserLoginSucNotification);
    // Half a second later the screen closes itself, unless the person has closed it
    // meanwhile (or an earlier login already did): then popping would take the screen
    // below with it.
    std::weak_ptr<LoginViewCon> weak = platform::sharedSelf(this);
    platform::RunLoop::main().schedule(kCloseDelay, [weak] {
        if (auto self = weak.lock()) {
            self->closeIfShown();
        }
    });
}

void LoginViewCon::closeIfShown() {
    auto* nav = navigationController();
    if (nav && nav->topViewController().get() == this) {
        nav->popViewControllerAnimated(true);
    }
}

void LoginViewCon::loginFailed() {
    hud->hide(true);
    Toast::showToastWithText("请检查网络!");
}

void LoginViewCon::back(platform::Control*) {
    if (auto* nav = navigationController()) {
        nav->popViewControllerAnimated(true);
    }
}
