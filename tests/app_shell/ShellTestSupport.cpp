#include "tests/app_shell/ShellTestSupport.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/net/HttpSession.h"

namespace qelvo::test {

FakeService::FakeService() {
    server_.server().Post(ServiceEndpoint::kServicePath, [this](const httplib::Request& req,
                                                                httplib::Response& res) {
        std::unique_lock lock(mutex_);
        bodies_.push_back(req.body);
        std::string mode = modeOf(req.body);
        released_.wait(lock, [&] { return held_.empty() || held_ != mode; });
        auto found = replies_.find(mode);
        platform::Value reply = found != replies_.end() ? found->second : platform::Value{{"result", "0"}};
        res.set_content(reply.dump(), "application/json");
    });
    replies_["1"] = platform::Value{{"result", "0"}};
    server_.start();
}

FakeService::~FakeService() {
    release();
    server_.stop();
}

std::string FakeService::modeOf(const std::string& body) {
    if (body.rfind("mode=", 0) != 0) {
        return {};
    }
    auto end = body.find('&');
    return body.substr(5, end == std::string::npos ? std::string::npos : end - 5);
}

void FakeService::reply(const std::string& mode, platform::Value body) {
    std::lock_guard lock(mutex_);
    replies_[mode] = std::move(body);
}

void FakeService::hold(const std::string& mode) {
    std::lock_guard lock(mutex_);
    held_ = mode;
}

void FakeService::release() {
    {
        std::lock_guard lock(mutex_);
        held_.clear();
    }
    released_.notify_all();
}

std::vector<std::string> FakeService::bodies() const {
    std::lock_guard lock(mutex_);
    return bodies_;
}

std::size_t FakeService::count(const std::string& mode) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& body : bodies_) {
        n += modeOf(body) == mode ? 1 : 0;
    }
    return n;
}

void ShellTest::SetUp() {
    platform::Log::shared().setEcho(false);
    logStart_ = platform::Log::shared().lineCount();
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

std::vector<std::string> ShellTest::logLines() const {
    std::size_t next = 0;
    return platform::Log::shared().linesFrom(logStart_, &next);
}

bool ShellTest::logged(const std::string& line) const {
    for (const auto& candidate : logLines()) {
        if (candidate == line) {
            return true;
        }
    }
    return false;
}

}  // namespace qelvo::test
