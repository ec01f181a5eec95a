#pragma once

#include "platform/net/HttpTypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class RunLoop;

// Receives the events of one transfer, on the run loop given when it started.
class HttpTaskDelegate {
public:
    virtual ~HttpTaskDelegate() = default;
    // Each response whose body follows (a followed redirect is not reported).
    virtual void didReceiveResponse(const HttpResponse& response) = 0;
    virtual void didReceiveData(std::string_view chunk) = 0;
    virtual void didFinish() = 0;
    virtual void didFail(const HttpError& error) = 0;
};

using HttpTaskId = std::uint64_t;

// Every transfer of the process runs on one network thread that drives libcurl's
// multi interface; it sleeps while nothing is in flight. Events are posted to the
// delivery run loop, in order, and never after cancel() has returned there.
class HttpSession {
public:
    static HttpSession& shared();

    HttpSession();
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // Thread-safe. The session keeps the delegate until the transfer ends or is
    // cancelled. Events go to `deliverOn` (the main run loop by default).
    HttpTaskId start(HttpRequest request, std::shared_ptr<HttpTaskDelegate> delegate,
                     RunLoop* deliverOn = nullptr);
    // Call on the delivery thread: no event of the transfer arrives afterwards.
    void cancel(HttpTaskId id);
    std::size_t activeTransferCount() const;

    // Any thread: how many transfers the network thread has handed to libcurl, and how
    // many of them libcurl has ended (a body kept in memory then has every event queued
    // for delivery), since the session began. Lets a test wait until the network thread
    // has reached such a point instead of sleeping towards it.
    struct NetworkProgress {
        std::uint64_t added = 0;
        std::uint64_t ended = 0;
    };
    NetworkProgress networkProgress() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
