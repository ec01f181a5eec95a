#pragma once

// The app's shell in-process: a fake service on loopback, a temporary container,
// the main loop on a manual clock (network replies still arrive in real time), and
// the device operations to read and touch the screen as a person would.

#include "app/AppDelegate.h"
#include "app/LoginInstance.h"
#include "platform/device/Device.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/image/Image.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "service/ServiceEndpoint.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/AppTest.h"
#include "tests/support/BrowseFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qelvo::test {

// The service endpoint, spoken to by operation (the "mode=" value): a fixed reply per
// operation, the bodies received, and the replies of one operation held back.
class FakeService {
public:
    void reply(const std::string& mode, const platform::Value& body) { standIn_.reply(prefix(mode), body); }
    void replyRaw(const std::string& mode, std::string body) {
        standIn_.replyRaw(prefix(mode), std::move(body));
    }
    void hold(const std::string& mode) { standIn_.hold(prefix(mode)); }
    void release() { standIn_.release(); }
    std::vector<std::string> bodies() const { return standIn_.bodies(); }
    std::size_t count(const std::string& mode) const { return standIn_.count(prefix(mode)); }
    std::string lastBody(const std::string& mode) const { return standIn_.lastBody(prefix(mode)); }
    std::string host() const { return standIn_.host(); }

private:
    // Operation values never begin one another, so a prefix names one operation.
    static std::string prefix(const std::string& mode) { return "mode=" + mode; }

    ServiceStandIn standIn_;
};

class ShellTest : public AppTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string serviceHost() const override { return service.host(); }

    // Launches the app with AppDelegate on that system version.
    std::shared_ptr<AppDelegate> launch(const std::string& systemVersion = "7.1");

    platform::Value screen();
    std::vector<std::string> screens();
    bool shows(const std::string& text);
    platform::DeviceReply tapText(const std::string& text, int index = 0);
    FakeService service;
    platform::Device device;
    std::shared_ptr<AppDelegate> appDelegate;
};

}  // namespace qelvo::test
