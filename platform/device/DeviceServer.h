#pragma once

#include "platform/device/DeviceOperations.h"
#include "platform/device/DeviceServerMainLoopGate.h"
#include "platform/device/DeviceServerRequest.h"
#include "platform/device/DeviceServerResponse.h"
#include "platform/device/DisplayRoutes.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace platform {

// The automation API of the running app, over HTTP on 127.0.0.1 only. The server's
// threads only parse and route: every operation runs on the main run loop, and its
// DeviceReply becomes the answer (status and JSON body).
//
// Answers of the server itself, all with {"error": "text"} bodies:
//   403  a Host that does not name this server, or an Origin other than the display
//        page's own;  415  a POST body not sent as application/json (checked before
//        any route, see DeviceServerCallerCheck)
//   400  a POST body that is not a JSON object (an empty body counts as {}), or a
//        /api/log "from" that is not a non-negative whole number (a missing one is 0)
//   404  no such route;  405  a route that exists for another method (Allow tells which)
//   500  an operation that threw;  503  the main loop did not take the call within the
//        call time-out, or the server is stopping
//
// POST /api/quit answers 200 {} (or 400) at once and runs the quit operation on the
// main loop only after the answer has been written to the socket, so the caller sees
// it even when the quit ends the process; the operation's own reply goes nowhere.
class DeviceServer {
public:
    using RouteHandler = std::function<DeviceServerResponse(const DeviceServerRequest&)>;
    // Runs on a server thread once the answer of a successful request has been written.
    using AfterSent = std::function<void(const DeviceServerRequest&)>;

    // `operations` must outlive the server (a quit may still be queued after stop()).
    explicit DeviceServer(DeviceOperations& operations);
    ~DeviceServer();
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    // Binds 127.0.0.1:port (0 picks a free port) and serves on background threads.
    // False, with one log line, when it cannot bind or is already serving.
    bool start(int port);
    // The bound port while serving, else 0.
    int port() const { return port_.load(); }
    bool isRunning() const;
    // Answers waiting calls with 503, then closes the port and joins the server's
    // threads. Safe to call twice, and from the main loop (also from inside an
    // operation); not from a route handler.
    void stop();

    // How long a call may wait for the main loop to take it (10 s by default).
    void setCallTimeout(std::chrono::milliseconds timeout);

    // Adds a route before start(). The browser display's routes (see DisplayRoutes)
    // join at start() where no route of the same method and path was added. `handler` runs on a server thread
    // and must hand any work on app state to the main loop. False when serving already or the route exists.
    bool addRoute(const std::string& method, const std::string& path, RouteHandler handler,
                  AfterSent afterSent = nullptr);

private:
    struct Route {
        std::string method;
        std::string path;
        RouteHandler handler;
        AfterSent afterSent;
    };

    void addOperationRoutes();
    void addPostOperation(const std::string& path, DeviceReply (DeviceOperations::*operation)(const Value&));
    DeviceServerResponse callOnMain(const std::function<DeviceReply()>& call);
    DeviceServerResponse dispatch(const DeviceServerRequest& request) const;
    const Route* findRoute(const std::string& method, const std::string& path) const;
    static void configureSocket(httplib::Server& server);
    void configure(httplib::Server& server, int port);
    void addDisplayRoutes();

    DeviceOperations& operations_;
    DeviceServerMainLoopGate gate_;
    std::atomic<long long> callTimeoutMs_{10'000};
    std::vector<Route> routes_;  // fixed while serving: the server threads read it
    std::unique_ptr<DisplayRoutes> display_;
    std::mutex lifecycleMutex_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<int> port_{0};
};

}  // namespace platform
