#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileWriter.h"

#include <chrono>
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

// Takes the body of one transfer straight into a file, so the body never crosses to the delivery
// thread. The network thread writes each chunk itself while the disk keeps up: no copy, no
// hand-over, and a write that blocks slows the transfer as a slow disk should. Once a write
// takes longer than `slowWrite`, the chunks go to a writer thread of the sink's own instead, so
// the other transfers of the network thread do not wait for this file's disk; while that writer
// is behind by more than a bounded amount the transfer pauses, so memory does not grow either.
// When the writer has caught up and its writes have been quick for a while, the network thread
// takes over again.
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
    // A write on the network thread slower than this hands the rest of the body to the writer,
    // which keeps it for at least kSlowDiskHold after its last slow write.
    static constexpr std::chrono::milliseconds kSlowWrite{20};
    static constexpr std::chrono::seconds kSlowDiskHold{1};

    // `clock` stamps the moments bytes arrive (the delivery run loop's clock, for time-outs).
    // A `slowWrite` of zero hands every chunk to the writer thread.
    HttpFileSink(std::string path, std::shared_ptr<Clock> clock,
                 std::chrono::steady_clock::duration slowWrite = kSlowWrite);
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
    Accept writeHere(std::string_view bytes);
    // Writes one chunk, true when it was written; false after a cancel or a failed write.
    bool writeChunk(std::string_view bytes);
    void writerLoop();
    void closeAndTell(const std::function<void()>& then);
    void wakeTransfer();

    const std::string path_;
    const std::shared_ptr<Clock> clock_;
    const std::chrono::steady_clock::duration slowWrite_;
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
    bool diskIsSlow_ = false;  // chunks go to the writer thread
    std::chrono::steady_clock::time_point lastSlowWrite_;
    std::optional<Clock::TimePoint> lastActivity_;

    // Held by whichever thread writes, so cancel() can wait for a write in progress.
    std::mutex writing_;
    FileWriter writer_;  // guarded by writing_
    int writeError_ = 0; // guarded by mutex_
    bool noSpace_ = false;
    std::thread thread_;
};

}  // namespace platform
