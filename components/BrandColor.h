#pragma once

#include "platform/ui/Color.h"

// The app's own blue: navigation and title bars, headers, the channel switcher, the download
// buttons and the section names of the home page.
inline platform::Color brandColor() {
    return platform::Color::rgb255(0, 92, 123);
}
