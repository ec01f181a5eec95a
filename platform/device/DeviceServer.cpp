#include "platform/device/DeviceServer.h"

#include "platform/device/DeviceServerCallerCheck.h"
#include "platform/foundation/Json.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <system_error>

namespace platform {

namespace {

constexpr char kLoopback[] = "127.0.0.1";

// Bodies of the automation calls are a few hundred bytes; anything near this is
// not a call.
constexpr std::size_t kMaxBodyBytes = std::size_t{1024} * 1024;

std::optional<Value> bodyObject(std::string_view body) {
    const auto first = body.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return Value::object();
    return Json::parseDictionary(body);
}

// "from" of /api/log: absent means the first kept line; anything but digits is refused.
std::optional<std::size_t> lineNumber(const std::map<std::string, std::string>& query) {
    const auto it = query.find("from");
    if (it == query.end()) return 0;
    const std::string& text = it->second;
    std::size_t value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return value;
}

std::string httpErrorText(int status) {
    switch (status) {
        case 400: return "malformed request";
        case 404: return "no such call";
        case 413: return "request body too large";
        case 414: return "request address too long";
        default: return "HTTP error " + std::to_string(status);
    }
}

DeviceServerRequest requestOf(const httplib::Request& request) {
    DeviceServerRequest out;
    out.method = request.method == "HEAD" ? "GET" : request.method;
    out.path = request.path;
    for (const auto& [key, value] : request.params)
        out.query.emplace(key, value);  // emplace keeps the first of repeated keys
    out.body = request.body;
    for (const auto& [name, value] : request.headers) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        out.headers.emplace(std::move(lower), value);
    }
    return out;
}

void write(const DeviceServerResponse& from, httplib::Response& to) {
    to.status = from.status;
    // Every answer is what its type says, also to a browser that would guess otherwise.
    to.set_header("X-Content-Type-Options", "nosniff");
    for (const auto& [name, value] : from.headers)
        to.set_header(name.c_str(), value);
    if (from.stream) {
        to.set_chunked_content_provider(
            from.contentType, [stream = from.stream](std::size_t, httplib::DataSink& sink) {
                const DeviceServerResponse::Writer writer = [&sink](std::string_view part) {
                    return sink.is_writable() && sink.write(part.data(), part.size());
                };
                if (stream(writer)) return true;
                sink.done();
                return true;
            });
        return;
    }
    to.set_content(from.body, from.contentType.c_str());
}

}  // namespace

DeviceServer::DeviceServer(DeviceOperations& operations) : operations_(operations), gate_(RunLoop::main()) {
    addOperationRoutes();
    display_ = std::make_unique<DisplayRoutes>(operations_, [this](const std::function<void()>& work) {
        const auto reply = gate_.call(
            [&work] {
                work();
                return DeviceReply::ok();
            },
            std::chrono::milliseconds(callTimeoutMs_.load()));
        return reply.status == 200;
    });
}

void DeviceServer::addDisplayRoutes() {
    for (auto& route : display_->routes()) {
        if (!findRoute(route.method, route.path))
            routes_.push_back(Route{route.method, route.path, std::move(route.handler), nullptr});
    }
}

DeviceServer::~DeviceServer() {
    stop();
}

void DeviceServer::addOperationRoutes() {
    addRoute("GET", "/api/screen", [this](const DeviceServerRequest&) {
        return callOnMain([this] { return operations_.screen(); });
    });
    addRoute("GET", "/api/tree", [this](const DeviceServerRequest&) {
        return callOnMain([this] { return operations_.tree(); });
    });
    addPostOperation("/api/tap", &DeviceOperations::tap);
    addPostOperation("/api/touch", &DeviceOperations::touch);
    addPostOperation("/api/drag", &DeviceOperations::drag);
    addPostOperation("/api/swipe", &DeviceOperations::swipe);
    addPostOperation("/api/type", &DeviceOperations::type);
    addPostOperation("/api/key", &DeviceOperations::key);
    addPostOperation("/api/alert", &DeviceOperations::alert);
    addPostOperation("/api/link", &DeviceOperations::link);
    addPostOperation("/api/back", &DeviceOperations::back);
    addPostOperation("/api/app", &DeviceOperations::app);
    addPostOperation("/api/network", &DeviceOperations::network);

    // The quit may end the process: the answer goes out first, the operation after.
    addRoute(
        "POST", "/api/quit",
        [](const DeviceServerRequest& request) {
            if (!bodyObject(request.body))
                return DeviceServerResponse::error(400, "the body must be a JSON object");
            return DeviceServerResponse::json(200, Value::object());
        },
        [this](const DeviceServerRequest& request) {
            auto body = bodyObject(request.body).value_or(Value::object());
            // The operations outlive this server; the task may run after it stopped.
            RunLoop::main().post(
                [&operations = operations_, body = std::move(body)] { operations.quit(body); });
        });

    // Log lines are kept thread-safely by the log itself: no main-loop hop.
    addRoute("GET", "/api/log", [](const DeviceServerRequest& request) {
        const auto from = lineNumber(request.query);
        if (!from) return DeviceServerResponse::error(400, "from must be a non-negative line number");
        std::size_t next = 0;
        const auto lines = Log::shared().linesFrom(*from, &next);
        return DeviceServerResponse::json(200, Value{{"lines", lines}, {"next", next}});
    });
}

void DeviceServer::addPostOperation(const std::string& path,
                                    DeviceReply (DeviceOperations::*operation)(const Value&)) {
    addRoute("POST", path, [this, operation](const DeviceServerRequest& request) {
        auto body = bodyObject(request.body);
        if (!body) return DeviceServerResponse::error(400, "the body must be a JSON object");
        return callOnMain(
            [this, operation, body = std::move(*body)] { return (operations_.*operation)(body); });
    });
}

DeviceServerResponse DeviceServer::callOnMain(const std::function<DeviceReply()>& call) {
    return DeviceServerResponse::reply(gate_.call(call, std::chrono::milliseconds(callTimeoutMs_.load())));
}

void DeviceServer::setCallTimeout(std::chrono::milliseconds timeout) {
    callTimeoutMs_ = timeout.count();
}

bool DeviceServer::addRoute(const std::string& method, const std::string& path, RouteHandler handler,
                            AfterSent afterSent) {
    std::lock_guard lock(lifecycleMutex_);
    if (server_ || !handler || findRoute(method, path)) return false;
    routes_.push_back(Route{method, path, std::move(handler), std::move(afterSent)});
    return true;
}

const DeviceServer::Route* DeviceServer::findRoute(const std::string& method, const std::string& path) const {
    const auto it = std::find_if(routes_.begin(), routes_.end(), [&](const Route& route) {
        return route.method == method && route.path == path;
    });
    return it == routes_.end() ? nullptr : &*it;
}

DeviceServerResponse DeviceServer::dispatch(const DeviceServerRequest& request) const {
    if (const auto* route = findRoute(request.method, request.path)) return route->handler(request);
    std::string allowed;
    for (const auto& route : routes_) {
        if (route.path != request.path) continue;
        allowed += allowed.empty() ? route.method : ", " + route.method;
    }
    if (allowed.empty()) return DeviceServerResponse::error(404, "no such call: " + request.path);
    auto response = DeviceServerResponse::error(405, request.path + " takes " + allowed);
    response.headers.emplace_back("Allow", allowed);
    return response;
}

void DeviceServer::configureSocket(httplib::Server& server) {
    // One writer per answer and no delayed-ACK stall between headers and body.
    server.set_tcp_nodelay(true);
    server.set_keep_alive_timeout(2);
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.set_payload_max_length(kMaxBodyBytes);
    // SO_REUSEADDR lets a restarted app take its port back at once; no SO_REUSEPORT,
    // so a port that another process serves is refused instead of shared.
    server.set_socket_options([](socket_t socket) {
        int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
}

void DeviceServer::configure(httplib::Server& server, int port) {
    // Every method reaches one dispatcher, which tells 404 from 405 by the route table,
    // once the caller check has let the request through.
    const auto handle = [this, check = DeviceServerCallerCheck(port)](const httplib::Request& request,
                                                                      httplib::Response& response) {
        const auto call = requestOf(request);
        if (auto refused = check.refusal(call)) {
            write(*refused, response);
            return;
        }
        write(dispatch(call), response);
    };
    server.Get(".*", handle);
    server.Post(".*", handle);
    server.Put(".*", handle);
    server.Patch(".*", handle);
    server.Delete(".*", handle);
    server.Options(".*", handle);

    // Errors the HTTP layer answers itself (malformed requests, oversized bodies)
    // get the same JSON shape; answers of the routes keep their bodies.
    const httplib::Server::HandlerWithResponse jsonErrors = [](const httplib::Request&,
                                                               httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        write(DeviceServerResponse::error(response.status, httpErrorText(response.status)), response);
        return httplib::Server::HandlerResponse::Handled;
    };
    server.set_error_handler(jsonErrors);
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, const std::exception_ptr&) {
            write(DeviceServerResponse::error(500, "internal error"), response);
        });
    // The logger runs once the answer has been written: the place for after-sent work.
    server.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        if (response.status >= 400) return;
        const auto* route = findRoute(request.method == "HEAD" ? "GET" : request.method, request.path);
        if (route && route->afterSent) route->afterSent(requestOf(request));
    });
}

bool DeviceServer::start(int port) {
    std::lock_guard lock(lifecycleMutex_);
    if (server_) {
        logf("DeviceServer: already serving on {}:{}", kLoopback, port_.load());
        return false;
    }
    if (port < 0 || port > 65535) {
        logf("DeviceServer: cannot listen on port {}: not a port number", port);
        return false;
    }
    addDisplayRoutes();
    auto server = std::make_unique<httplib::Server>();
    configureSocket(*server);
    errno = 0;
    const int bound =
        port == 0 ? server->bind_to_any_port(kLoopback) : (server->bind_to_port(kLoopback, port) ? port : -1);
    if (bound <= 0) {
        const int error = errno;
        logf("DeviceServer: cannot listen on {}:{}: {}", kLoopback, port,
             error != 0 ? std::error_code(error, std::generic_category()).message() : "bind failed");
        return false;
    }
    // The handlers go in once the port is known: the caller check compares against it.
    configure(*server, bound);

    gate_.open();
    display_->open();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    thread_ = std::thread([raw = server.get(), finished] {
        raw->listen_after_bind();
        *finished = true;
    });
    // stop() can only end a server whose accept loop runs; the socket already
    // listens, so this wait is a millisecond or two.
    while (!server->is_running() && !*finished)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server_ = std::move(server);
    port_ = bound;
    return true;
}

bool DeviceServer::isRunning() const {
    return port_.load() != 0;
}

void DeviceServer::stop() {
    std::lock_guard lock(lifecycleMutex_);
    if (!server_) return;
    gate_.close();
    display_->close();  // ends the event streams, which would hold the server's threads
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
    port_ = 0;
}

}  // namespace platform
