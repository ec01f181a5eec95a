#include "tests/support/AppTest.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/image/Image.h"
#include "platform/net/HttpSession.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "service/ServiceEndpoint.h"

namespace qelvo::test {

void AppTest::SetUp() {
    platform::Log::shared().setEcho(false);
    log_.start();
    auto& loop = platform::RunLoop::main();
    loop.adoptCurrentThread();
    loop.reset();
    clock = std::make_shared<platform::ManualClock>();
    loop.setClock(clock);
    container = std::make_unique<TempContainer>();
    platform::Image::setResourcePath(std::string(QELVO_SOURCE_DIR) + "/resources");
    ServiceEndpoint::setHost(serviceHost());
    platform::Application::shared().reset();
    platform::Window::resetAll();
    platform::AlertView::dismissAll();
}

void AppTest::finishRequests() {
    pump([] { return platform::HttpSession::shared().activeTransferCount() == 0; });
    settle();
    platform::AlertView::dismissAll();
}

void AppTest::TearDown() {
    platform::Window::resetAll();
    platform::Application::shared().reset();
    platform::RunLoop::main().reset();
    ServiceEndpoint::setHost("");
}

bool AppTest::pump(const std::function<bool()>& done, double seconds) {
    return platform::RunLoop::main().runUntil(done, seconds);
}

void AppTest::settle() {
    platform::RunLoop::main().runPending();
}

void AppTest::advance(double seconds) {
    clock->advance(seconds);
    settle();
}

}  // namespace qelvo::test
