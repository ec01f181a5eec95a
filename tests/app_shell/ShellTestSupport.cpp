#include "tests/app_shell/ShellTestSupport.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/UserDefaults.h"

namespace qelvo::test {

void ShellTest::SetUp() {
    AppTest::SetUp();
    LoginInstance::getUserInstance().setUserId(std::nullopt);
    LoginInstance::getUserInstance().setUserName(std::nullopt);
}

void ShellTest::TearDown() {
    service.release();
    finishRequests();
    appDelegate.reset();
    AppTest::TearDown();
    LoginInstance::getUserInstance().setUserId(std::nullopt);
    LoginInstance::getUserInstance().setUserName(std::nullopt);
}

std::shared_ptr<AppDelegate> ShellTest::launch(const std::string& systemVersion) {
    auto& app = platform::Application::shared();
    app.setSystemVersion(systemVersion);
    appDelegate = std::make_shared<AppDelegate>();
    app.setDelegate(appDelegate);
    app.launch();
    settle();
    return appDelegate;
}

platform::Value ShellTest::screen() {
    return device.screen().body;
}

std::vector<std::string> ShellTest::screens() {
    return screen()["screens"].get<std::vector<std::string>>();
}

bool ShellTest::shows(const std::string& text) {
    const platform::Value shownNow = screen();
    for (const auto& view : shownNow["views"]) {
        if (view.contains("text") && view["text"] == text) {
            return true;
        }
    }
    return false;
}

platform::DeviceReply ShellTest::tapText(const std::string& text, int index) {
    auto reply = device.tap(platform::Value{{"text", text}, {"index", index}});
    settle();
    return reply;
}

}  // namespace qelvo::test
