#pragma once

// The browsing screens in-process: a scripted stand-in of the service on loopback, a
// temporary container, the main loop on a manual clock (replies arrive in real time)
// and a window whose root is a navigation stack.

#include "platform/device/Device.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qelvo::test {

// Answers each body with the reply of the longest prefix it starts with (a plain
// {"result":"0"} when none matches), records the bodies, and can hold back the
// replies to bodies with one prefix.
class ServiceStandIn {
public:
    ServiceStandIn();
    ~ServiceStandIn();
    ServiceStandIn(const ServiceStandIn&) = delete;
    ServiceStandIn& operator=(const ServiceStandIn&) = delete;

    void reply(const std::string& prefix, const platform::Value& body) { replyRaw(prefix, body.dump()); }
    void replyRaw(const std::string& prefix, std::string body);
    void hold(const std::string& prefix);
    void release();
    std::vector<std::string> bodies() const;
    std::size_t count(const std::string& prefix) const;
    // The latest body with that prefix ("" when none came): other screens' requests may
    // arrive after it, so tests look a request up by its prefix, not by its place.
    std::string lastBody(const std::string& prefix) const;
    std::string host() const { return "127.0.0.1:" + std::to_string(server_.port()); }

private:
    qelvo::testing::LoopbackServer server_;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::map<std::string, std::string> replies_;
    std::string held_;
    std::vector<std::string> bodies_;
};

class BrowseTest : public AppTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string serviceHost() const override { return service.host(); }

    // Puts `root` at the bottom of a navigation stack in the window; it appears.
    void show(const std::shared_ptr<platform::ViewController>& root);
    // Waits until the stand-in has seen `n` bodies with that prefix.
    bool waitForRequests(const std::string& prefix, std::size_t n);
    // Points the app at a loopback port where nothing listens, or back at the stand-in.
    void refuseConnections();
    void acceptConnections();

    // A paged reply of `count` items named `prefix` + index, starting at `first`.
    static platform::Value pagedReply(int nowPage, bool hasNext, int first, int count,
                                      const std::string& prefix);

    ServiceStandIn service;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::NavigationController> nav;
    platform::Device device;
};

}  // namespace qelvo::test
