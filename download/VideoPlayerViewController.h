#pragma once

#include "platform/media/MoviePlayerViewController.h"

#include <string>

// The full-screen player of a finished video: the platform's player turned to
// landscape only, while the application as a whole keeps portrait as well.
class VideoPlayerViewController : public platform::MoviePlayerViewController {
public:
    static constexpr unsigned kSupportedOrientations = 24;
    static constexpr unsigned kApplicationOrientations = 26;

    // `contentURL` is the file URL (or path) of the video.
    explicit VideoPlayerViewController(std::string contentURL);
    std::string className() const override { return "VideoPlayerViewController"; }

    bool shouldAutorotate() const override { return true; }
    unsigned supportedInterfaceOrientations() const override { return kSupportedOrientations; }
    bool shouldAutorotateToInterfaceOrientation(platform::InterfaceOrientation orientation) const override;
    static unsigned applicationSupportedInterfaceOrientations() { return kApplicationOrientations; }
};
