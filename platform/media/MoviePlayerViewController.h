#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/media/MoviePlayerView.h"
#include "platform/ui/ViewController.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

enum class MoviePlaybackState { Stopped = 0, Playing = 1, Paused = 2 };

// The platform's full-screen player of a local video file, presented modally. It
// opens the file when it appears and plays it on the run loop's clock: there is no
// decoding here, the elapsed time runs from 0 to a duration taken from the file's
// length. Its own "完成" control dismisses it. A file that does not exist or cannot
// be read ends playback at once with an error, which the surface shows and
// playbackError() tells.
class MoviePlayerViewController : public ViewController {
public:
    // The simulated stream: this many bytes make one second of video, and even an
    // empty file lasts one second, so every opened file plays for a visible moment.
    static constexpr std::uint64_t kBytesPerSecond = 128 * 1024;
    static constexpr double kMinimumDuration = 1.0;
    // The elapsed time moves on in steps of this many seconds.
    static constexpr double kTickSeconds = 1.0;
    static constexpr const char* kFileMissingError = "无法播放: 文件不存在";

    // `filePath` is a local path or its "file://" URL.
    explicit MoviePlayerViewController(std::string filePath);
    ~MoviePlayerViewController() override;
    std::string className() const override { return "MoviePlayerViewController"; }

    const std::string& filePath() const { return filePath_; }
    // The last path component of the file.
    std::string fileName() const;

    void loadView() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    // Opens the file when needed and starts or continues playback; false when the
    // file cannot be played (playbackError() says why).
    bool play();
    void pause();
    // Ends playback and rewinds.
    void stop();
    bool isPlaying() const { return state_ == MoviePlaybackState::Playing; }
    MoviePlaybackState playbackState() const { return state_; }
    double currentPlaybackTime() const { return elapsed_; }
    // 0 until the file has been opened.
    double duration() const { return duration_; }
    const std::optional<std::string>& playbackError() const { return error_; }

    // Heard once each time playback ends by itself: at the end of the file (no error)
    // or because the file cannot be played (the error).
    void setPlaybackDidFinish(std::function<void(const std::optional<std::string>& error)> handler) {
        didFinish_ = std::move(handler);
    }

    // The close control: dismisses the player, animated.
    void done();

    std::shared_ptr<MoviePlayerView> moviePlayerView() const { return playerView_; }

    // A presented player fills the screen in landscape and never turns upside down.
    bool shouldAutorotate() const override { return true; }
    unsigned supportedInterfaceOrientations() const override { return OrientationMaskLandscape; }
    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const override {
        return orientation == InterfaceOrientation::LandscapeLeft ||
               orientation == InterfaceOrientation::LandscapeRight;
    }

private:
    bool open();
    void tick();
    void finish(std::optional<std::string> error);
    void refreshView();

    std::string filePath_;
    std::shared_ptr<MoviePlayerView> playerView_;
    MoviePlaybackState state_ = MoviePlaybackState::Stopped;
    bool opened_ = false;
    double elapsed_ = 0;
    double duration_ = 0;
    std::optional<std::string> error_;
    Timer ticker_;
    std::function<void(const std::optional<std::string>&)> didFinish_;
};

}  // namespace platform
