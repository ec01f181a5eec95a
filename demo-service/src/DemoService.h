#pragma once

#include "ArticlePage.h"
#include "ContentOperations.h"
#include "ControlApi.h"
#include "CoursePage.h"
#include "IndexPage.h"
#include "MediaEndpoint.h"
#include "MediaLibrary.h"
#include "OperationEndpoint.h"
#include "ServiceContent.h"
#include "ServiceOptions.h"
#include "ServicePages.h"
#include "ServiceState.h"
#include "UserOperations.h"

#include <httplib.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>

namespace qelvo::demo {

// The demo service: one HTTP server on loopback with the operation endpoint, the
// service's web pages, pictures and videos, and the control endpoint for tests.
class DemoService {
public:
    // Loads the content of the data folder; nothing (and `error`) when it cannot.
    static std::unique_ptr<DemoService> create(const ServiceOptions& options, std::string& error);

    ~DemoService();
    DemoService(const DemoService&) = delete;
    DemoService& operator=(const DemoService&) = delete;

    // Binds the listening socket; returns the port (useful with port 0) or -1.
    int bind();
    // Serves until stop() is called; false when it could not serve at all.
    bool run();
    // Ends run() promptly, also with stalled or slow transfers under way. Any thread.
    void stop();

    int port() const { return port_; }
    bool isRunning() const { return server_.is_running(); }
    std::string origin() const;
    ServiceState& state() { return state_; }
    const ServiceContent& content() const { return content_; }

private:
    DemoService(const ServiceOptions& options, ServiceContent content);

    void configureServer();
    void handle(const httplib::Request& request, httplib::Response& response);
    // `logIndex`: the request's entry in the request log, for notes on how it was answered.
    void dispatch(const httplib::Request& request, httplib::Response& response, std::uint64_t logIndex);
    void afterResponse(const httplib::Request& request, const httplib::Response& response);

    ServiceOptions options_;
    ServiceContent content_;
    ServiceState state_;
    MediaLibrary media_;
    ContentOperations contentOperations_;
    UserOperations userOperations_;
    OperationEndpoint operations_;
    MediaEndpoint mediaEndpoint_;
    CoursePage coursePage_;
    ArticlePage articlePage_;
    ServicePages servicePages_;
    IndexPage indexPage_;
    ControlApi control_;
    std::stop_source stopping_;
    httplib::Server server_;
    std::atomic<bool> serving_{false};
    std::atomic<bool> stopIssued_{false};
    int port_ = -1;
};

}  // namespace qelvo::demo
