// Bodies of device API calls, as the device server reads them (a JSON object) and as
// every operation then reads its fields, on a window showing a real screen: the login
// form (fields, button, the back control) or a web page screen (links), sometimes
// under an alert.

#include "app/LoginViewCon.h"
#include "platform/device/Device.h"
#include "platform/foundation/Json.h"
#include "platform/net/NetworkMonitor.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "screens/WebViewController.h"
#include "tests/fuzz/support/FuzzBytes.h"
#include "tests/fuzz/support/FuzzPlatform.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using platform::DeviceReply;
using platform::Value;

namespace {

std::shared_ptr<platform::ViewController> frontScreen(std::size_t choice) {
    if (choice % 2 == 0) {
        return std::make_shared<LoginViewCon>();
    }
    auto page = std::make_shared<WebViewController>();
    page->set_webUrl("http://127.0.0.1:9/page.html");
    page->setNavTitle("关于我们");
    return page;
}

void check(const DeviceReply& reply) {
    // Every answer is a status and an object; a refusal says why.
    if (!reply.body.is_object() || (reply.status != 200 && !reply.body.contains("error"))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    qelvo::fuzz::FuzzPlatform::start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The server refuses what is no JSON object before any operation sees it.
    const std::optional<Value> body = platform::Json::parseDictionary(qelvo::fuzz::bytesOf(data, size));
    if (!body) {
        return 0;
    }
    platform::Window& window = qelvo::fuzz::FuzzPlatform::window();
    auto root = std::make_shared<platform::ViewController>();
    auto stack = std::make_shared<platform::NavigationController>(root);
    stack->setNavigationBarHidden(true);
    window.setRootViewController(stack);
    stack->pushViewController(frontScreen(size), false);
    qelvo::fuzz::FuzzPlatform::settle();
    if (size % 3 == 0) {
        platform::AlertView::create("温馨提示", "您确定要退出登录吗?", {}, "取消", {"确认"})->show();
    }

    platform::Device device;
    check(device.screen());
    check(device.tree());
    for (auto operation : {&platform::Device::tap, &platform::Device::type, &platform::Device::key,
                           &platform::Device::drag, &platform::Device::swipe, &platform::Device::link,
                           &platform::Device::alert, &platform::Device::network, &platform::Device::app,
                           &platform::Device::back, &platform::Device::quit}) {
        check((device.*operation)(*body));
    }

    platform::AlertView::dismissAll();
    platform::NetworkMonitor::shared().setOverride(std::nullopt);
    window.setRootViewController(nullptr);
    qelvo::fuzz::FuzzPlatform::settle();
    if (platform::Application::shared().state() == platform::ApplicationState::NotRunning) {
        platform::Application::shared().launch();  // after "terminate" or quit
    }
    return 0;
}
