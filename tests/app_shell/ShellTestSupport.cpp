#include "tests/app_shell/ShellTestSupport.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/net/HttpSession.h"

namespace qelvo::test {

void ShellTest::SetUp() {
    platform::Log::shared().setEcho(false);
    log_.start();
    auto& loop = platform::RunLoop::main();
    loop.adoptCurrentThread();
    loop.reset();
    clock = std::make_shared<platform::ManualClock>();
    loop.setClock(clock);
    container = std::make_unique<TempContainer>();
    platform::Image::setResourcePath(std::string(QELVO_SOURCE_DIR) + "/resources");
    ServiceEndpoint::setHost(service.host());
    LoginInstance::getUserInstance().setUserId(std::nullopt);
    LoginInstance::getUserInstance().setUserName(std::nullopt);
    platform::Application::shared().reset();
    platform::Window::resetAll();
    platform::AlertView::dismissAll();
}

void ShellTest::TearDown() {
    service.release();
    // A request still in flight keeps its screen alive through its callbacks; let it
    // end so that nothing outlives the test.
    pump([] { return platform::HttpSession::shared().activeTransferCount() == 0; });
    settle();
    platform::AlertView::dismissAll();
    platform::Application::shared().reset();
    platform::Window::resetAll();
    appDelegate.reset();
    platform::RunLoop::main().reset();
    ServiceEndpoint::setHost("");
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

bool ShellTest::pump(const std::function<bool()>& done, double seconds) {
    return platform::RunLoop::main().runUntil(done, seconds);
}

void ShellTest::settle() {
    platform::RunLoop::main().runPending();
}

void ShellTest::advance(double seconds) {
    clock->advance(seconds);
    settle();
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
