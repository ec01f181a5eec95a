#include "platform/media/MoviePlayerViewController.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view kFileScheme = "file://";

std::string localPathOf(std::string path) {
    if (path.starts_with(kFileScheme)) {
        path.erase(0, kFileScheme.size());
    }
    return path;
}

}  // namespace

MoviePlayerViewController::MoviePlayerViewController(std::string filePath)
    : ViewController("MoviePlayerViewController"), filePath_(localPathOf(std::move(filePath))) {}

MoviePlayerViewController::~MoviePlayerViewController() {
    ticker_.cancel();
}

std::string MoviePlayerViewController::fileName() const {
    return FileSystem::lastPathComponent(filePath_);
}

void MoviePlayerViewController::loadView() {
    playerView_ = View::create<MoviePlayerView>(fullScreenFrame());
    playerView_->showFile(fileName());
    std::weak_ptr<ViewController> weak = weak_from_this();
    playerView_->doneButton()->addAction(
        [weak](Control&) {
            if (auto self = weak.lock()) {
                static_cast<MoviePlayerViewController&>(*self).done();
            }
        },
        TouchUpInside, this);
    setView(playerView_);
    refreshView();
}

void MoviePlayerViewController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    if (state_ == MoviePlaybackState::Stopped && !error_) {
        play();
    }
}

void MoviePlayerViewController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    pause();
}

bool MoviePlayerViewController::open() {
    if (opened_) {
        return true;
    }
    auto size = FileSystem::isDirectory(filePath_) ? std::nullopt : FileSystem::fileSize(filePath_);
    if (!size) {
        logf("movie player: cannot open {}", filePath_);
        finish(std::string(kFileMissingError));
        return false;
    }
    opened_ = true;
    error_.reset();
    duration_ = std::max(kMinimumDuration, static_cast<double>(*size) / static_cast<double>(kBytesPerSecond));
    return true;
}

bool MoviePlayerViewController::play() {
    if (state_ == MoviePlaybackState::Playing) {
        return true;
    }
    if (!open()) {
        return false;
    }
    if (elapsed_ >= duration_) {
        elapsed_ = 0;
    }
    state_ = MoviePlaybackState::Playing;
    std::weak_ptr<ViewController> weak = weak_from_this();
    ticker_ = RunLoop::main().scheduleRepeating(kTickSeconds, [weak] {
        if (auto self = weak.lock()) {
            static_cast<MoviePlayerViewController&>(*self).tick();
        }
    });
    refreshView();
    return true;
}

void MoviePlayerViewController::pause() {
    if (state_ != MoviePlaybackState::Playing) {
        return;
    }
    ticker_.cancel();
    state_ = MoviePlaybackState::Paused;
    refreshView();
}

void MoviePlayerViewController::stop() {
    ticker_.cancel();
    state_ = MoviePlaybackState::Stopped;
    elapsed_ = 0;
    refreshView();
}

void MoviePlayerViewController::tick() {
    if (state_ != MoviePlaybackState::Playing) {
        return;
    }
    elapsed_ = std::min(duration_, elapsed_ + kTickSeconds);
    if (elapsed_ >= duration_) {
        finish(std::nullopt);
        return;
    }
    refreshView();
}

void MoviePlayerViewController::finish(std::optional<std::string> error) {
    ticker_.cancel();
    state_ = MoviePlaybackState::Stopped;
    error_ = std::move(error);
    refreshView();
    if (didFinish_) {
        // The handler may dismiss or release the player.
        auto keep = weak_from_this().lock();
        auto handler = didFinish_;
        handler(error_);
    }
}

void MoviePlayerViewController::refreshView() {
    if (!playerView_) {
        return;
    }
    playerView_->showProgress(elapsed_, duration_, isPlaying());
    playerView_->showError(error_);
}

void MoviePlayerViewController::done() {
    pause();
    dismissViewControllerAnimated(true);
}

}  // namespace platform
