#pragma once

#include "platform/net/HttpSession.h"
#include "platform/net/HttpTypes.h"

#include <cstdint>
#include <memory>
#include <string_view>

class HTTPRequest;

// One attempt of an HTTPRequest on the shared HTTP session: hands the attempt's events, on the
// main thread, to the request while that attempt is still its current one.
class HTTPRequestConnection : public platform::HttpTaskDelegate {
public:
    HTTPRequestConnection(std::weak_ptr<HTTPRequest> request, std::uint64_t attempt);

    void didReceiveResponse(const platform::HttpResponse& response) override;
    void didReceiveData(std::string_view chunk) override;
    void didFinish() override;
    void didFail(const platform::HttpError& error) override;

private:
    std::shared_ptr<HTTPRequest> currentRequest() const;

    std::weak_ptr<HTTPRequest> request_;
    std::uint64_t attempt_;
};
