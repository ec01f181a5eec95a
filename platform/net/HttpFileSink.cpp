#include "platform/net/HttpFileSink.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace platform {

HttpFileSink::HttpFileSink(std::string path, std::shared_ptr<Clock> clock,
                           std::chrono::steady_clock::duration slowWrite)
    : path_(std::move(path)),
      clock_(std::move(clock)),
      slowWrite_(slowWrite),
      diskIsSlow_(slowWrite <= std::chrono::steady_clock::duration::zero()) {}

HttpFileSink::~HttpFileSink() {
    cancel();
}

void HttpFileSink::setWake(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
}

void HttpFileSink::wakeTransfer() {
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        wake = wake_;
    }
    if (wake) {
        wake();
    }
}

bool HttpFileSink::place(const Placement& placement) {
    bool opened = true;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return false;
        }
        placement_ = placement;
        skipLeft_ = placement.skip;
        if (placement.write) {
            std::lock_guard writing(writing_);
            opened = writer_.open(path_, placement.keep);
            if (!opened) {
                failed_ = true;
                writeError_ = writer_.lastError();
                noSpace_ = writer_.lastErrorWasNoSpace();
            }
        }
    }
    wakeTransfer();
    return opened;
}

void HttpFileSink::cancel() {
    std::thread writerThread;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        pending_.clear();
        pendingBytes_ = 0;
        then_ = nullptr;
        // Taken here: the network thread starts the writer, and starts none once closed.
        writerThread = std::move(thread_);
    }
    work_.notify_all();
    {
        // Waits for a write in progress: once this returns the file no longer changes.
        std::lock_guard writing(writing_);
        writer_.close();
    }
    if (writerThread.joinable()) {
        if (writerThread.get_id() == std::this_thread::get_id()) {
            writerThread.detach();
        } else {
            writerThread.join();
        }
    }
}

HttpFileSink::Accept HttpFileSink::append(std::string_view bytes) {
    bool here = false;
    {
        std::lock_guard lock(mutex_);
        lastActivity_ = clock_->now();
        if (closed_ || failed_) {
            return Accept::Failed;
        }
        if (!placement_) {
            pauseAsked_ = true;
            return Accept::Pause;
        }
        if (!placement_->write) {
            return Accept::Taken;
        }
        // Checked before anything is skipped: a paused chunk is offered again whole.
        if (pendingBytes_ >= kMaxPendingBytes) {
            pauseAsked_ = true;
            return Accept::Pause;
        }
        const auto skipped = std::min<std::uint64_t>(skipLeft_, bytes.size());
        bytes.remove_prefix(static_cast<std::size_t>(skipped));
        skipLeft_ -= skipped;
        if (bytes.empty()) {
            return Accept::Taken;
        }
        // Nothing waits for the writer, so writing here keeps the order of the bytes.
        here = pendingBytes_ == 0 && !diskIsSlow_;
        if (!here) {
            pending_.emplace_back(bytes);
            pendingBytes_ += bytes.size();
            if (!thread_.joinable()) {
                thread_ = std::thread([this] { writerLoop(); });
            }
        }
    }
    if (here) {
        return writeHere(bytes);
    }
    work_.notify_one();
    return Accept::Taken;
}

HttpFileSink::Accept HttpFileSink::writeHere(std::string_view bytes) {
    const auto start = std::chrono::steady_clock::now();
    if (!writeChunk(bytes)) {
        return Accept::Failed;
    }
    if (const auto end = std::chrono::steady_clock::now(); end - start > slowWrite_) {
        std::lock_guard lock(mutex_);
        diskIsSlow_ = true;
        lastSlowWrite_ = end;
    }
    return Accept::Taken;
}

bool HttpFileSink::writeChunk(std::string_view bytes) {
    int error = 0;
    bool noSpace = false;
    {
        std::lock_guard writing(writing_);
        if (!writer_.isOpen()) {
            return false;  // cancelled meanwhile
        }
        if (writer_.write(bytes)) {
            return true;
        }
        error = writer_.lastError();
        noSpace = writer_.lastErrorWasNoSpace();
    }
    // What the disk took stays; nothing after the failure is written.
    std::lock_guard lock(mutex_);
    failed_ = true;
    writeError_ = error;
    noSpace_ = noSpace;
    pending_.clear();
    pendingBytes_ = 0;
    return false;
}

bool HttpFileSink::canResume() const {
    std::lock_guard lock(mutex_);
    return closed_ || failed_ || (placement_ && (!placement_->write || pendingBytes_ < kMaxPendingBytes / 2));
}

void HttpFileSink::finish(std::function<void()> then) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return;  // cancelled: nobody waits for the end any more
        }
        if (thread_.joinable()) {
            // The writer tells the end once it has written what it holds.
            finishing_ = true;
            then_ = std::move(then);
            work_.notify_one();
            return;
        }
    }
    closeAndTell(then);
}

void HttpFileSink::closeAndTell(const std::function<void()>& then) {
    {
        std::lock_guard writing(writing_);
        writer_.close();
    }
    if (then) {
        then();
    }
}

std::optional<Clock::TimePoint> HttpFileSink::lastActivity() const {
    std::lock_guard lock(mutex_);
    return lastActivity_;
}

std::optional<int> HttpFileSink::writeError() const {
    std::lock_guard lock(mutex_);
    return failed_ ? std::optional<int>(writeError_) : std::nullopt;
}

bool HttpFileSink::writeErrorWasNoSpace() const {
    std::lock_guard lock(mutex_);
    return failed_ && noSpace_;
}

void HttpFileSink::writerLoop() {
    while (true) {
        std::deque<std::string> batch;
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [this] { return closed_ || !pending_.empty() || finishing_; });
            if (closed_) {
                return;
            }
            batch.swap(pending_);
        }
        if (batch.empty()) {
            // Finishing, and every byte is written.
            std::function<void()> then;
            {
                std::lock_guard lock(mutex_);
                then = std::move(then_);
                then_ = nullptr;
            }
            closeAndTell(then);
            return;
        }
        std::optional<std::chrono::steady_clock::time_point> slowAt;
        for (const auto& chunk : batch) {
            const auto start = std::chrono::steady_clock::now();
            if (!writeChunk(chunk)) {
                break;
            }
            if (const auto end = std::chrono::steady_clock::now(); end - start > slowWrite_) {
                slowAt = end;
            }
            // Counted off chunk by chunk, so a paused transfer goes on while the rest of the
            // batch is still being written rather than after it.
            bool wake = false;
            {
                std::lock_guard lock(mutex_);
                pendingBytes_ -= std::min(pendingBytes_, chunk.size());
                wake = pauseAsked_ && pendingBytes_ < kMaxPendingBytes / 2;
                pauseAsked_ = pauseAsked_ && !wake;
            }
            if (wake) {
                wakeTransfer();
            }
        }
        bool wake = false;
        {
            std::lock_guard lock(mutex_);
            if (slowAt) {
                lastSlowWrite_ = *slowAt;
            }
            // Caught up, and quick for a while: the network thread writes once more.
            if (pending_.empty() && pendingBytes_ == 0 && slowWrite_ > std::chrono::steady_clock::duration::zero() &&
                std::chrono::steady_clock::now() - lastSlowWrite_ >= kSlowDiskHold) {
                diskIsSlow_ = false;
            }
            wake = pauseAsked_ && (failed_ || pendingBytes_ < kMaxPendingBytes / 2);
            pauseAsked_ = pauseAsked_ && !wake;
        }
        if (wake) {
            wakeTransfer();
        }
    }
}

}  // namespace platform
