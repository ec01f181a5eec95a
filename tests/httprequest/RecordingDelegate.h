#pragma once

#include "Library/HTTPRequest/HTTPRequest.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qelvo::test {

// Records every callback of a request in the order it arrived.
class RecordingDelegate : public HTTPRequestDelegate, public HTTPRequestProgressDelegate {
public:
    void requestStarted(HTTPRequest& /*request*/) override {
        events.emplace_back("started");
        ++started;
    }
    void didReceiveResponseHeaders(HTTPRequest& request, const HTTPHeaders& headers) override {
        events.emplace_back("headers " + std::to_string(request.responseStatusCode()));
        receivedHeaders.push_back(headers);
    }
    void requestFinished(HTTPRequest& /*request*/) override {
        events.emplace_back("finished");
        ++finished;
    }
    void requestFailed(HTTPRequest& request) override {
        events.emplace_back("failed");
        ++failed;
        failureCode = request.error() ? std::optional(request.error()->code) : std::nullopt;
    }
    void didReceiveBytes(HTTPRequest& /*request*/, std::int64_t bytes) override {
        events.emplace_back("bytes " + std::to_string(bytes));
        reports.push_back(bytes);
    }

    bool ended() const { return finished + failed > 0; }
    std::int64_t reportedTotal() const {
        std::int64_t total = 0;
        for (auto bytes : reports)
            total += bytes;
        return total;
    }

    std::vector<std::string> events;
    std::vector<HTTPHeaders> receivedHeaders;
    std::vector<std::int64_t> reports;
    int started = 0;
    int finished = 0;
    int failed = 0;
    std::optional<HTTPRequestErrorCode> failureCode;
};

}  // namespace qelvo::test
