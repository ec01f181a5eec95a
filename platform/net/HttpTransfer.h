#pragma once

#include "platform/net/HttpHeaderReader.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpTypes.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef void CURL;
struct curl_slist;

namespace platform {

class HttpTransferRegistry;
class RunLoop;

// One transfer of the session. Its curl handle and parsing state belong to the
// network thread; its delegate belongs to the delivery thread, where every event
// is handed over and where the delegate is finally released, so that no code of
// the application ever runs on the network thread.
class HttpTransfer : public std::enable_shared_from_this<HttpTransfer> {
public:
    HttpTransfer(HttpTaskId id, HttpRequest request, std::shared_ptr<HttpTaskDelegate> delegate,
                 RunLoop& deliverOn, std::shared_ptr<HttpTransferRegistry> registry);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    HttpTaskId id() const { return id_; }

    // Network thread. nullptr when curl cannot make a handle.
    CURL* open(bool bypassProxyForLoopback);
    CURL* easy() const { return easy_; }
    void closeEasy();
    // Hands the events gathered so far (body bytes included) to the delivery
    // thread in one go, so that a reply costs that thread one wake-up, not three.
    void dispatch();
    // Network thread, between reads of a transfer still running: hands over what is worth a
    // wake-up now. A response alone waits for its first body bytes or its end (a short reply
    // whose headers and body come in two reads then still costs one wake-up), unless its body
    // goes to a file, whose writer waits for the delivery thread to say where it goes.
    void dispatchProgress();
    // The transfer ended with `result` (a CURLcode): dispatches its last events.
    void complete(int result);

    // Network thread: continues a transfer paused because its receiver fell behind, once the
    // receiver has caught up.
    void resumeIfCaughtUp();
    // Any thread: how the delivery thread wakes the network thread when it has caught up.
    void setWakeNetwork(std::function<void()> wake) { wakeNetwork_ = std::move(wake); }

    // Delivery thread: no event is delivered afterwards and the delegate is released.
    void cancel();
    // Any thread: cancels the transfer on its delivery thread.
    static void abandon(const std::shared_ptr<HttpTransfer>& transfer);

private:
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    void headerLine(std::string_view line);
    void endOfHeaderBlock();
    bool redirectIsFollowed(const HttpResponse& response) const;
    using Event = std::function<void(HttpTaskDelegate&)>;
    void queue(Event event);
    void queueData();
    // Hands `events` to the delivery thread; `ended`: the last one ends the transfer.
    static void post(std::shared_ptr<HttpTransfer> self, std::vector<Event> events, bool ended);

    const HttpTaskId id_;
    const HttpRequest request_;
    RunLoop& deliverOn_;
    std::shared_ptr<HttpTransferRegistry> registry_;
    std::atomic<bool> cancelled_{false};
    // Body bytes handed over but not yet delivered: above the limit the transfer pauses, so a
    // slow receiver does not make the process hold the whole body in memory.
    static constexpr std::size_t kMaxUndeliveredBytes = std::size_t{4} * 1024 * 1024;
    // curl's read size for a body that goes to a file.
    static constexpr long kFileBufferSize = 256L * 1024;
    std::atomic<std::size_t> undelivered_{0};
    std::atomic<bool> paused_{false};
    std::function<void()> wakeNetwork_;

    // Delivery thread only.
    std::shared_ptr<HttpTaskDelegate> delegate_;

    // Network thread only.
    CURL* easy_ = nullptr;
    curl_slist* headerList_ = nullptr;
    HttpHeaderReader head_;
    bool discardingBody_ = false;  // the body of a redirect that curl follows
    std::string body_;
    std::vector<Event> events_;
    bool ended_ = false;  // the last event is queued
    bool dataQueued_ = false;  // events_ holds body bytes
};

}  // namespace platform
