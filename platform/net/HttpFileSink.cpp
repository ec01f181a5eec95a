#include "platform/net/HttpFileSink.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace platform {

HttpFileSink::HttpFileSink(std::string path, std::shared_ptr<Clock> clock)
    : path_(std::move(path)), clock_(std::move(clock)) {}

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
            } else if (!thread_.joinable()) {
                thread_ = std::thread([this] { writerLoop(); });
            }
        }
    }
    wakeTransfer();
    return opened;
}

void HttpFileSink::cancel() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        pending_.clear();
        pendingBytes_ = 0;
        then_ = nullptr;
    }
    work_.notify_all();
    {
        // Waits for a write in progress: once this returns the file no longer changes.
        std::lock_guard writing(writing_);
        writer_.close();
    }
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }
}

HttpFileSink::Accept HttpFileSink::append(std::string_view bytes) {
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
        pending_.emplace_back(bytes);
        pendingBytes_ += bytes.size();
    }
    work_.notify_one();
    return Accept::Taken;
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
            finishing_ = true;
            then_ = std::move(then);
            then = nullptr;
        }
    }
    if (then) {
        then();  // nothing was ever written: the end is at once
    } else {
        work_.notify_one();
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
            {
                std::lock_guard writing(writing_);
                writer_.close();
            }
            std::function<void()> then;
            {
                std::lock_guard lock(mutex_);
                then = std::move(then_);
                then_ = nullptr;
            }
            if (then) {
                then();
            }
            return;
        }
        bool failed = false;
        int error = 0;
        bool noSpace = false;
        for (const auto& chunk : batch) {
            {
                std::lock_guard writing(writing_);
                if (!writer_.isOpen()) {
                    break;  // cancelled meanwhile
                }
                if (!writer_.write(chunk)) {
                    failed = true;
                    error = writer_.lastError();
                    noSpace = writer_.lastErrorWasNoSpace();
                    break;
                }
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
        {
            std::lock_guard lock(mutex_);
            if (failed) {
                // What the disk took stays; nothing after the failure is written.
                failed_ = true;
                writeError_ = error;
                noSpace_ = noSpace;
                pending_.clear();
                pendingBytes_ = 0;
            }
        }
        bool wake = false;
        {
            std::lock_guard lock(mutex_);
            wake = pauseAsked_ && (failed_ || pendingBytes_ < kMaxPendingBytes / 2);
            pauseAsked_ = pauseAsked_ && !wake;
        }
        if (wake) {
            wakeTransfer();
        }
    }
}

}  // namespace platform
