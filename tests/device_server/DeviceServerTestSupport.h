#pragma once

// A recording stand-in for the app's operations and a fixture whose thread is the
// main run loop, pumping it while client threads talk to a device server.

#include "platform/device/DeviceOperations.h"
#include "platform/device/DeviceServer.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qelvo::testing {

class FakeDeviceOperations : public platform::DeviceOperations {
public:
    struct Call {
        std::string name;
        platform::Value body;
        bool onMainLoop = false;
    };

    // Replies by operation name; an operation without one answers {"called": name}.
    void setReply(const std::string& name, platform::DeviceReply reply) {
        std::lock_guard lock(mutex_);
        replies_[name] = std::move(reply);
    }
    // Runs inside the operation, on the main loop, before it answers.
    void setAction(const std::string& name, std::function<void()> action) {
        std::lock_guard lock(mutex_);
        actions_[name] = std::move(action);
    }
    std::vector<Call> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    std::size_t callCount() const {
        std::lock_guard lock(mutex_);
        return calls_.size();
    }

    platform::DeviceReply screen() override { return record("screen", platform::Value::object()); }
    platform::DeviceReply tree() override { return record("tree", platform::Value::object()); }
    platform::DeviceReply tap(const platform::Value& body) override { return record("tap", body); }
    platform::DeviceReply touch(const platform::Value& body) override { return record("touch", body); }
    platform::DeviceReply drag(const platform::Value& body) override { return record("drag", body); }
    platform::DeviceReply swipe(const platform::Value& body) override { return record("swipe", body); }
    platform::DeviceReply type(const platform::Value& body) override { return record("type", body); }
    platform::DeviceReply key(const platform::Value& body) override { return record("key", body); }
    platform::DeviceReply alert(const platform::Value& body) override { return record("alert", body); }
    platform::DeviceReply link(const platform::Value& body) override { return record("link", body); }
    platform::DeviceReply back(const platform::Value& body) override { return record("back", body); }
    platform::DeviceReply app(const platform::Value& body) override { return record("app", body); }
    platform::DeviceReply network(const platform::Value& body) override { return record("network", body); }
    platform::DeviceReply quit(const platform::Value& body) override { return record("quit", body); }

private:
    platform::DeviceReply record(const std::string& name, const platform::Value& body) {
        std::function<void()> action;
        platform::DeviceReply reply = platform::DeviceReply::ok({{"called", name}});
        {
            std::lock_guard lock(mutex_);
            calls_.push_back({name, body, platform::RunLoop::main().isLoopThread()});
            if (const auto it = actions_.find(name); it != actions_.end()) action = it->second;
            if (const auto it = replies_.find(name); it != replies_.end()) reply = it->second;
        }
        if (action) action();
        return reply;
    }

    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    std::map<std::string, platform::DeviceReply> replies_;
    std::map<std::string, std::function<void()>> actions_;
};

// Connects to a loopback address; the connected socket, or -1.
inline int connectTo(const char* address, int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, address, &target.sin_addr);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class DeviceServerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::main().reset();
        platform::RunLoop::main().adoptCurrentThread();
        platform::Log::shared().setEcho(false);
        ASSERT_TRUE(server.start(0));
        ASSERT_GT(server.port(), 0);
    }
    void TearDown() override {
        server.stop();
        platform::RunLoop::main().reset();
    }

    httplib::Client client() const {
        httplib::Client client("127.0.0.1", server.port());
        client.set_read_timeout(30, 0);
        return client;
    }

    // Sends from a client thread while this thread runs the main loop.
    httplib::Result send(const std::function<httplib::Result(httplib::Client&)>& request) {
        std::promise<httplib::Result> promise;
        auto future = promise.get_future();
        std::thread sender([&] {
            auto c = client();
            promise.set_value(request(c));
        });
        platform::RunLoop::main().runUntil(
            [&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 60.0);
        sender.join();
        return future.get();
    }
    httplib::Result get(const std::string& path) {
        return send([&](httplib::Client& c) { return c.Get(path.c_str()); });
    }
    httplib::Result post(const std::string& path, const std::string& body) {
        return send([&](httplib::Client& c) { return c.Post(path.c_str(), body, "application/json"); });
    }

    static platform::Value jsonOf(const httplib::Result& result) {
        return platform::Value::parse(result->body, nullptr, false);
    }

    FakeDeviceOperations operations;
    platform::DeviceServer server{operations};
};

}  // namespace qelvo::testing
