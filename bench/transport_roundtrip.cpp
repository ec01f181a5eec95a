// One "mode=2" round trip through the service transport (RequestHelp on the shared
// network thread, reply delivered on the main run loop) against the same POST made
// with libcurl's easy interface on the calling thread. Both keep their connection
// alive between requests (the session's connection cache, one reused easy handle),
// and the kinds of request alternate so that all see the same server state. A third
// kind, the same libcurl request on a thread of its own behind one hand-over each way,
// shows what the hand-overs alone cost on this machine: the floor of any transport
// that keeps the network off the main thread.

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "bench/support/DemoServiceProcess.h"

#include <curl/curl.h>
#include <httplib.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>


namespace {

constexpr int kRounds = 200;
constexpr int kWarmUp = 10;
constexpr const char* kPath = "/wcm/qelvo/app/index.aspx";

using Clock = std::chrono::steady_clock;

// Stands in when the demo service has not been built: a fixed home page reply.
class FixedReplyServer {
public:
    FixedReplyServer() {
        server_.Post(kPath, [](const httplib::Request&, httplib::Response& res) {
            res.set_content(R"({"result":"0","adList":[],"dataList":[]})", "application/json");
        });
        // Headers and body go out in two writes; without this the body of a reply
        // on a kept-alive connection waits for the client's delayed ACK.
        server_.set_tcp_nodelay(true);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~FixedReplyServer() {
        server_.stop();
        thread_.join();
    }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The same request made directly with libcurl, on one reused easy handle.
class DirectCurl {
public:
    explicit DirectCurl(const std::string& url) : url_(url) {
        easy_ = curl_easy_init();
        headers_ = curl_slist_append(headers_, "Content-Type: application/x-www-form-urlencoded");
        headers_ = curl_slist_append(headers_, "Expect:");
        curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body_.c_str());
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &collect);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &reply_);
    }
    ~DirectCurl() {
        curl_slist_free_all(headers_);
        curl_easy_cleanup(easy_);
    }
    // Microseconds, or a negative value on failure.
    double roundTrip() {
        reply_.clear();
        auto begin = Clock::now();
        CURLcode result = curl_easy_perform(easy_);
        auto end = Clock::now();
        if (result != CURLE_OK || reply_.empty()) {
            return -1;
        }
        return std::chrono::duration<double, std::micro>(end - begin).count();
    }

private:
    std::string url_;
    std::string body_ = ServiceOperations::homePage();
    std::string reply_;
    CURL* easy_ = nullptr;
    curl_slist* headers_ = nullptr;
};

// The same libcurl request made on a thread of its own, the caller handing it over and waiting
// for the reply: what one hand-over each way costs on this machine, with nothing else added.
class HandedOverCurl {
public:
    explicit HandedOverCurl(const std::string& url) : curl_(url), thread_([this] { serve(); }) {}
    ~HandedOverCurl() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        askedSignal_.notify_one();
        thread_.join();
    }
    HandedOverCurl(const HandedOverCurl&) = delete;
    HandedOverCurl& operator=(const HandedOverCurl&) = delete;

    // Microseconds, or a negative value on failure.
    double roundTrip() {
        const auto begin = Clock::now();
        {
            std::lock_guard lock(mutex_);
            asked_ = true;
            answered_ = false;
        }
        askedSignal_.notify_one();
        std::unique_lock lock(mutex_);
        answeredSignal_.wait(lock, [&] { return answered_; });
        const auto end = Clock::now();
        return succeeded_ ? std::chrono::duration<double, std::micro>(end - begin).count() : -1;
    }

private:
    void serve() {
        std::unique_lock lock(mutex_);
        while (true) {
            askedSignal_.wait(lock, [&] { return asked_ || stopping_; });
            if (stopping_) {
                return;
            }
            asked_ = false;
            lock.unlock();
            const bool succeeded = curl_.roundTrip() >= 0;
            lock.lock();
            succeeded_ = succeeded;
            answered_ = true;
            answeredSignal_.notify_one();
        }
    }

    DirectCurl curl_;
    std::mutex mutex_;
    std::condition_variable askedSignal_;
    std::condition_variable answeredSignal_;
    bool asked_ = false;
    bool answered_ = false;
    bool succeeded_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once everything it uses is there
};

// Microseconds from requestWithUrl to the completion callback, or negative on failure.
double transportRoundTrip(const std::shared_ptr<RequestHelp>& help, const std::string& url) {
    std::optional<bool> succeeded;
    auto begin = Clock::now();
    Clock::time_point end;
    help->requestWithUrl(
        url, ServiceOperations::homePage(),
        [&](const std::string& body) {
            end = Clock::now();
            succeeded = !body.empty();
        },
        [&](const platform::HttpError&) { succeeded = false; });
    platform::RunLoop::main().runUntil([&] { return succeeded.has_value(); }, 10.0);
    if (!succeeded.value_or(false)) {
        return -1;
    }
    return std::chrono::duration<double, std::micro>(end - begin).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main() {
    platform::Log::shared().setEcho(false);
    platform::RunLoop::main().adoptCurrentThread();
    curl_global_init(CURL_GLOBAL_DEFAULT);

    std::string origin;
    bench::DemoServiceProcess demo;
    std::unique_ptr<FixedReplyServer> fallback;
    if (demo.start()) {
        origin = demo.origin();
        std::printf("server: qelvo-demo-service at %s\n", origin.c_str());
    } else {
        fallback = std::make_unique<FixedReplyServer>();
        origin = fallback->origin();
        std::printf(
            "server: demo service binary missing or silent (%s); "
            "using an in-process server with a fixed mode=2 reply at %s\n",
            QELVO_DEMO_SERVICE_BIN, origin.c_str());
    }
    const std::string url = origin + kPath;
    std::printf(
        "connections: kept alive for both (session connection cache; one reused easy "
        "handle)\n");

    auto help = std::make_shared<RequestHelp>();
    DirectCurl direct(url);
    HandedOverCurl handedOver(url);
    std::vector<double> viaTransport;
    std::vector<double> viaCurl;
    std::vector<double> viaHandOver;
    for (int round = 0; round < kWarmUp + kRounds; ++round) {
        double transport = transportRoundTrip(help, url);
        double curl = direct.roundTrip();
        double handed = handedOver.roundTrip();
        if (transport < 0 || curl < 0 || handed < 0) {
            std::fprintf(stderr, "transport_roundtrip: request failed (transport %s, curl %s, handed over %s)\n",
                         transport < 0 ? "failed" : "ok", curl < 0 ? "failed" : "ok", handed < 0 ? "failed" : "ok");
            return 1;
        }
        if (round >= kWarmUp) {
            viaTransport.push_back(transport);
            viaCurl.push_back(curl);
            viaHandOver.push_back(handed);
        }
    }

    const double transportMedian = median(viaTransport);
    const double curlMedian = median(viaCurl);
    std::printf(
        "transport_roundtrip: requesthelp_median_us=%.1f curl_median_us=%.1f ratio=%.3f "
        "(rounds=%d each, interleaved)\n",
        transportMedian, curlMedian, transportMedian / curlMedian, kRounds);
    const double handedMedian = median(viaHandOver);
    std::printf(
        "floor: libcurl on a thread of its own behind one hand-over each way (mutex and condition "
        "variable): handed_over_median_us=%.1f, %.3f x raw libcurl; RequestHelp against it: %.3f\n",
        handedMedian, handedMedian / curlMedian, transportMedian / handedMedian);
    return 0;
}
