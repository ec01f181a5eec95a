#pragma once

// Loopback servers and the main-loop fixture shared by the network and service
// transport tests.

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/LoopbackPort.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qelvo::testing {

// A cpp-httplib server on a free loopback port, serving on its own thread once
// started. Routes are added before start(): the server's threads read them.
class LoopbackServer {
public:
    explicit LoopbackServer(bool keepAlive = false) {
        if (!keepAlive) {
            server_.set_keep_alive_max_count(1);
        }
        // Idle keep-alive connections must not hold the server's workers for long.
        server_.set_keep_alive_timeout(1);
        // Headers and body go out in two writes; without this the body of a reply
        // on a kept-alive connection waits for the client's delayed ACK.
        server_.set_tcp_nodelay(true);
    }
    ~LoopbackServer() { stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    void start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    httplib::Server& server() { return server_; }
    int port() const { return port_; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    void stop() {
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// A loopback port that accepts connections (the kernel completes them) but never
// reads a request nor answers one.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 64);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

// Answers the first connection with fixed bytes, whatever it was asked, then
// closes it: for replies that a real server library would not produce.
class ScriptedServer {
public:
    explicit ScriptedServer(std::string reply) : reply_(std::move(reply)) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 4);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serveOne(); });
    }
    ~ScriptedServer() {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    void serveOne() {
        int connection = ::accept(fd_, nullptr, nullptr);
        if (connection < 0) {
            return;
        }
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
            if (count <= 0) {
                break;
            }
            request.append(buffer, static_cast<std::size_t>(count));
        }
        // The request (a GET) has been read whole, so closing sends a plain FIN.
        ::send(connection, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        ::close(connection);
    }

    std::string reply_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// Serves many connections at once from one thread: each GET is answered with its
// own path followed by `padding` dots, and the connection is closed. (cpp-httplib
// serves concurrent connections on worker threads whose library code is not
// instrumented for the thread sanitizer.)
class PathEchoServer {
public:
    explicit PathEchoServer(std::size_t padding) : padding_(padding) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 128);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (::pipe(stop_) != 0) {
            stop_[0] = stop_[1] = -1;
        }
        thread_ = std::thread([this] { serve(); });
    }
    ~PathEchoServer() {
        char byte = 0;
        if (::write(stop_[1], &byte, 1) != 1) {
            ::shutdown(listener_, SHUT_RDWR);
        }
        thread_.join();
        ::close(stop_[0]);
        ::close(stop_[1]);
        ::close(listener_);
    }
    PathEchoServer(const PathEchoServer&) = delete;
    PathEchoServer& operator=(const PathEchoServer&) = delete;

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    void serve() {
        std::map<int, std::string> requests;
        for (;;) {
            std::vector<pollfd> watched = {{stop_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
            for (const auto& entry : requests) {
                watched.push_back({entry.first, POLLIN, 0});
            }
            if (::poll(watched.data(), watched.size(), -1) < 0 || watched[0].revents != 0) {
                break;
            }
            if (watched[1].revents != 0) {
                int connection = ::accept(listener_, nullptr, nullptr);
                if (connection >= 0) {
                    requests[connection];
                }
            }
            for (std::size_t i = 2; i < watched.size(); ++i) {
                if (watched[i].revents != 0) {
                    readFrom(watched[i].fd, requests);
                }
            }
        }
        for (const auto& entry : requests) {
            ::close(entry.first);
        }
    }

    void readFrom(int connection, std::map<int, std::string>& requests) {
        char buffer[4096];
        ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
        std::string& request = requests[connection];
        if (count > 0) {
            request.append(buffer, static_cast<std::size_t>(count));
            if (request.find("\r\n\r\n") == std::string::npos) {
                return;
            }
            std::size_t start = request.find(' ') + 1;
            std::string body = request.substr(start, request.find(' ', start) - start);
            body.append(padding_, '.');
            std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                                "\r\nConnection: close\r\n\r\n" + body;
            ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
        ::close(connection);
        requests.erase(connection);
    }

    std::size_t padding_;
    int listener_ = -1;
    int port_ = 0;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

// Runs each case with this thread as the main run loop's thread, and leaves the
// loop empty and on the real clock afterwards.
class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::main().adoptCurrentThread();
        platform::Log::shared().setEcho(false);
    }
    void TearDown() override {
        platform::RunLoop::main().reset();
        platform::RunLoop::main().setClock(std::make_shared<platform::RealClock>());
    }
    platform::RunLoop& mainLoop() { return platform::RunLoop::main(); }
    std::shared_ptr<platform::ManualClock> useManualClock() {
        auto clock = std::make_shared<platform::ManualClock>();
        platform::RunLoop::main().setClock(clock);
        return clock;
    }
};

}  // namespace qelvo::testing
