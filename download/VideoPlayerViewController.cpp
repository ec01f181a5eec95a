#include "download/VideoPlayerViewController.h"

VideoPlayerViewController::VideoPlayerViewController(std::string contentURL)
    : platform::MoviePlayerViewController(std::move(contentURL)) {}

bool VideoPlayerViewController::shouldAutorotateToInterfaceOrientation(
    platform::InterfaceOrientation orientation) const {
    return orientation == platform::InterfaceOrientation::LandscapeRight ||
           orientation == platform::InterfaceOrientation::LandscapeLeft;
}
