#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileWriter.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace platform {

// Takes the body of one transfer straight into a file: the network thread hands the bytes over
// and a writer thread of the sink's own writes them, so the body never crosses to the delivery
// thread and neither thread waits for the disk. While the writer is behind by more than a
// bounded amount the transfer pauses, so a slow disk slows the download instead of growing
// memory.
//
// The delivery thread decides where the body of the response goes (place()); until it has, the
// transfer holds the body back. A cancel() that returns leaves the file exactly as written so far:
// no byte is written afterwards.
class HttpFileSink {
public:
    struct Placement {
        bool write = false;       // false: the body is dropped (an error page, a redirect)
        std::uint64_t keep = 0;   // bytes of the file that stay; the body is written after them
        std::uint64_t skip = 0;   // leading body bytes the file already holds
    };
    enum class Accept { Taken, Pause, Failed };

    // Bytes handed over but not yet written above which the transfer pauses.
    static constexpr std::size_t kMaxPendingBytes = std::size_t{2} * 1024 * 1024;

    // `clock` stamps the moments bytes arrive (the delivery run loop's clock, for time-outs).
    HttpFileSink(std::string path, std::shared_ptr<Clock> clock);
    ~HttpFileSink();
    HttpFileSink(const HttpFileSink&) = delete;
    HttpFileSink& operator=(const HttpFileSink&) = delete;

    const std::string& path() const { return path_; }

    // Delivery thread: where the body of the response goes. False when the file cannot be opened
    // (writeError() then tells why); the transfer's body is then refused.
    bool place(const Placement& placement);
    // Delivery thread: nothing is written once this returns, and the file is closed.
    void cancel();

    // Network thread: a chunk of the body. Pause asks curl to offer it again later.
    Accept append(std::string_view bytes);
    // Network thread: whether a paused transfer may go on.
    bool canResume() const;
    // Network thread: the body is over (or the transfer failed); `then` runs once every byte
    // handed over is in the file and the file is closed, on the writer thread or at once.
    void finish(std::function<void()> then);
    // Any thread: called when a paused transfer may go on (placement made, writer caught up).
    void setWake(std::function<void()> wake);

    // When the network last brought bytes, on the sink's clock; absent before any.
    std::optional<Clock::TimePoint> lastActivity() const;
    // The system's error number of a failed open or write.
    std::optional<int> writeError() const;
    bool writeErrorWasNoSpace() const;

private:
    void writerLoop();
    void wakeTransfer();

    const std::string path_;
    const std::shared_ptr<Clock> clock_;
    std::function<void()> wake_;

    mutable std::mutex mutex_;
    std::condition_variable work_;
    // Guarded by mutex_.
    std::optional<Placement> placement_;
    std::deque<std::string> pending_;
    std::size_t pendingBytes_ = 0;
    std::uint64_t skipLeft_ = 0;
    std::function<void()> then_;
    bool finishing_ = false;
    bool closed_ = false;
    bool failed_ = false;
    bool pauseAsked_ = false;  // the transfer paused and waits to be woken
    std::optional<Clock::TimePoint> lastActivity_;

    // Held by the writer while it writes, so cancel() can wait for a write in progress.
    std::mutex writing_;
    FileWriter writer_;  // guarded by writing_
    int writeError_ = 0; // guarded by mutex_
    bool noSpace_ = false;
    std::thread thread_;
};

}  // namespace platform
