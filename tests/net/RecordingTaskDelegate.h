#pragma once

#include "platform/net/HttpSession.h"

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qelvo::testing {

// Records a transfer's events in order ("response", "data", "finish", "fail").
class RecordingTaskDelegate : public platform::HttpTaskDelegate {
public:
    ~RecordingTaskDelegate() override {
        if (destroyedOn_ != nullptr) {
            *destroyedOn_ = std::this_thread::get_id();
        }
    }
    void didReceiveResponse(const platform::HttpResponse& response) override {
        events.push_back("response");
        responses.push_back(response);
        if (onResponse) {
            onResponse();
        }
    }
    void didReceiveData(std::string_view chunk) override {
        events.push_back("data");
        body.append(chunk);
        if (onData) {
            onData();
        }
    }
    void didFinish() override { events.push_back("finish"); }
    void didFail(const platform::HttpError& failure) override {
        events.push_back("fail");
        error = failure;
    }

    bool ended() const { return !events.empty() && (events.back() == "finish" || events.back() == "fail"); }
    void reportDestructionTo(std::thread::id* where) { destroyedOn_ = where; }

    std::vector<std::string> events;
    std::vector<platform::HttpResponse> responses;
    std::string body;
    std::optional<platform::HttpError> error;
    std::function<void()> onResponse;
    std::function<void()> onData;

private:
    std::thread::id* destroyedOn_ = nullptr;
};

}  // namespace qelvo::testing
