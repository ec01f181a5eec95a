#include "platform/net/HttpSession.h"

#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpTransfer.h"
#include "platform/net/HttpTransferRegistry.h"

#include <curl/curl.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {

namespace {

// The network thread sleeps in curl_multi_poll; curl shortens the wait to its own
// next deadline while transfers run, and curl_multi_wakeup ends it early when work
// arrives. While idle it wakes only this rarely.
constexpr int kIdleWaitMilliseconds = 60 * 60 * 1000;

// Loopback never goes through a proxy, unless the environment lists the hosts
// that bypass it itself.
bool environmentNamesNoProxy() {
    return std::getenv("no_proxy") != nullptr || std::getenv("NO_PROXY") != nullptr;
}

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

class HttpSession::Impl {
public:
    Impl()
        : registry_(std::make_shared<HttpTransferRegistry>()),
          bypassProxyForLoopback_(!environmentNamesNoProxy()) {
        initialiseCurlOnce();
        multi_ = curl_multi_init();
        thread_ = std::thread([this] { loop(); });
    }

    ~Impl() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        curl_multi_wakeup(multi_);
        thread_.join();
        // Transfers still in flight end here without further events; their
        // delegates are let go on their delivery threads, not during this teardown.
        for (auto& [id, transfer] : running_) {
            curl_multi_remove_handle(multi_, transfer->easy());
            transfer->closeEasy();
            HttpTransfer::abandon(transfer);
        }
        running_.clear();
        for (auto& command : commands_) {
            HttpTransfer::abandon(command.transfer);
        }
        commands_.clear();
        curl_multi_cleanup(multi_);
    }

    HttpTaskId start(HttpRequest request, std::shared_ptr<HttpTaskDelegate> delegate, RunLoop& deliverOn) {
        HttpTaskId id = nextId_.fetch_add(1) + 1;
        auto transfer =
            std::make_shared<HttpTransfer>(id, std::move(request), std::move(delegate), deliverOn, registry_);
        transfer->setWakeNetwork([multi = multi_] { curl_multi_wakeup(multi); });
        registry_->add(id, transfer);
        enqueue({Command::Add, std::move(transfer)});
        return id;
    }

    void cancel(HttpTaskId id) {
        std::shared_ptr<HttpTransfer> transfer = registry_->take(id);
        if (!transfer) {
            return;
        }
        transfer->cancel();
        enqueue({Command::Cancel, std::move(transfer)});
    }

    std::size_t activeTransferCount() const { return registry_->size(); }

    NetworkProgress networkProgress() const { return {added_.load(), ended_.load()}; }

private:
    struct Command {
        enum Kind { Add, Cancel } kind;
        std::shared_ptr<HttpTransfer> transfer;
    };

    void enqueue(Command command) {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(std::move(command));
        }
        curl_multi_wakeup(multi_);
    }

    void loop() {
        while (true) {
            std::deque<Command> commands;
            {
                std::lock_guard lock(mutex_);
                if (stopping_) {
                    return;
                }
                commands.swap(commands_);
            }
            for (Command& command : commands) {
                apply(command);
            }
            int stillRunning = 0;
            curl_multi_perform(multi_, &stillRunning);
            collectFinished();
            for (auto& [id, transfer] : running_) {
                transfer->dispatchProgress();
                transfer->resumeIfCaughtUp();
            }
            curl_multi_poll(multi_, nullptr, 0, kIdleWaitMilliseconds, nullptr);
        }
    }

    void apply(Command& command) {
        HttpTransfer& transfer = *command.transfer;
        if (command.kind == Command::Cancel) {
            auto it = running_.find(transfer.id());
            if (it != running_.end()) {
                curl_multi_remove_handle(multi_, transfer.easy());
                transfer.closeEasy();
                running_.erase(it);
            }
            return;
        }
        CURL* easy = transfer.open(bypassProxyForLoopback_);
        if (easy == nullptr || curl_multi_add_handle(multi_, easy) != CURLM_OK) {
            transfer.complete(CURLE_OUT_OF_MEMORY);
            transfer.closeEasy();
            return;
        }
        running_.emplace(transfer.id(), command.transfer);
        added_.fetch_add(1);
    }

    void collectFinished() {
        int remaining = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &remaining)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            CURL* easy = message->easy_handle;
            CURLcode result = message->data.result;
            HttpTransfer* transfer = nullptr;
            curl_easy_getinfo(easy, CURLINFO_PRIVATE, &transfer);
            auto it = running_.find(transfer->id());
            if (it == running_.end()) {
                continue;
            }
            std::shared_ptr<HttpTransfer> owned = std::move(it->second);
            running_.erase(it);
            owned->complete(result);
            curl_multi_remove_handle(multi_, easy);
            owned->closeEasy();
            ended_.fetch_add(1);
        }
    }

    std::shared_ptr<HttpTransferRegistry> registry_;
    const bool bypassProxyForLoopback_;
    std::atomic<HttpTaskId> nextId_{0};
    std::atomic<std::uint64_t> added_{0};
    std::atomic<std::uint64_t> ended_{0};
    CURLM* multi_ = nullptr;
    std::thread thread_;

    std::mutex mutex_;
    std::deque<Command> commands_;
    bool stopping_ = false;

    // Network thread only (and the destructor, once the thread has ended).
    std::map<HttpTaskId, std::shared_ptr<HttpTransfer>> running_;
};

HttpSession& HttpSession::shared() {
    static HttpSession session;
    return session;
}

HttpSession::HttpSession() : impl_(std::make_unique<Impl>()) {}

HttpSession::~HttpSession() = default;

HttpTaskId HttpSession::start(HttpRequest request, std::shared_ptr<HttpTaskDelegate> delegate,
                              RunLoop* deliverOn) {
    return impl_->start(std::move(request), std::move(delegate),
                        deliverOn != nullptr ? *deliverOn : RunLoop::main());
}

void HttpSession::cancel(HttpTaskId id) {
    impl_->cancel(id);
}

std::size_t HttpSession::activeTransferCount() const {
    return impl_->activeTransferCount();
}

HttpSession::NetworkProgress HttpSession::networkProgress() const {
    return impl_->networkProgress();
}

}  // namespace platform
