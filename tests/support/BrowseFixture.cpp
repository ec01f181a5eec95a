#include "tests/support/BrowseFixture.h"

#include "platform/foundation/Json.h"
#include "platform/ui/Screen.h"
#include "service/ServiceEndpoint.h"

namespace qelvo::test {

ServiceStandIn::ServiceStandIn() {
    server_.server().Post(
        ServiceEndpoint::kServicePath, [this](const httplib::Request& req, httplib::Response& res) {
            std::unique_lock lock(mutex_);
            bodies_.push_back(req.body);
            released_.wait(lock, [&] { return held_.empty() || req.body.rfind(held_, 0) != 0; });
            std::string reply = R"({"result":"0"})";
            std::size_t best = 0;
            for (const auto& [prefix, body] : replies_) {
                if (req.body.rfind(prefix, 0) == 0 && prefix.size() >= best) {
                    best = prefix.size();
                    reply = body;
                }
            }
            res.set_content(reply, "application/json");
        });
    server_.start();
}

ServiceStandIn::~ServiceStandIn() {
    release();
    server_.stop();
}

void ServiceStandIn::replyRaw(const std::string& prefix, std::string body) {
    std::lock_guard lock(mutex_);
    replies_[prefix] = std::move(body);
}

void ServiceStandIn::hold(const std::string& prefix) {
    std::lock_guard lock(mutex_);
    held_ = prefix;
}

void ServiceStandIn::release() {
    {
        std::lock_guard lock(mutex_);
        held_.clear();
    }
    released_.notify_all();
}

std::vector<std::string> ServiceStandIn::bodies() const {
    std::lock_guard lock(mutex_);
    return bodies_;
}

std::size_t ServiceStandIn::count(const std::string& prefix) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& body : bodies_) {
        n += body.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

std::string ServiceStandIn::lastBody(const std::string& prefix) const {
    std::lock_guard lock(mutex_);
    for (auto it = bodies_.rbegin(); it != bodies_.rend(); ++it) {
        if (it->rfind(prefix, 0) == 0) {
            return *it;
        }
    }
    return {};
}

void BrowseTest::SetUp() {
    AppTest::SetUp();
    window = platform::View::create<platform::Window>(platform::Screen::bounds());
    window->makeKeyAndVisible();
}

void BrowseTest::TearDown() {
    service.release();
    finishRequests();
    nav.reset();
    window.reset();
    AppTest::TearDown();
}

void BrowseTest::show(const std::shared_ptr<platform::ViewController>& root) {
    nav = std::make_shared<platform::NavigationController>(root);
    nav->setNavigationBarHidden(true);
    window->setRootViewController(nav);
    settle();
}

bool BrowseTest::waitForRequests(const std::string& prefix, std::size_t n) {
    return pump([&] { return service.count(prefix) >= n; });
}

void BrowseTest::refuseConnections() {
    ServiceEndpoint::setHost("127.0.0.1:" + std::to_string(qelvo::testing::unusedLoopbackPort()));
}

void BrowseTest::acceptConnections() {
    ServiceEndpoint::setHost(service.host());
}

platform::Value BrowseTest::pagedReply(int nowPage, bool hasNext, int first, int count,
                                       const std::string& prefix) {
    platform::Value list = platform::Value::array();
    for (int i = first; i < first + count; ++i) {
        list.push_back(platform::Value{{"id", std::to_string(i)},
                                       {"title", prefix + std::to_string(i)},
                                       {"image", ""},
                                       {"info", "summary " + std::to_string(i)},
                                       {"url", "http://127.0.0.1:1/course"}});
    }
    return platform::Value{{"result", "0"},
                           {"nowPage", std::to_string(nowPage)},
                           {"hasNext", hasNext ? "true" : "false"},
                           {"dataList", list}};
}

}  // namespace qelvo::test
