#pragma once

namespace platform {

// Orientations of the interface, with the platform's numbering.
enum class InterfaceOrientation { Portrait = 1, PortraitUpsideDown = 2, LandscapeRight = 3, LandscapeLeft = 4 };

// Masks of orientations: bit (1 << orientation).
enum InterfaceOrientationMask : unsigned {
    OrientationMaskPortrait = 1u << 1,
    OrientationMaskPortraitUpsideDown = 1u << 2,
    OrientationMaskLandscapeRight = 1u << 3,
    OrientationMaskLandscapeLeft = 1u << 4,
    OrientationMaskLandscape = OrientationMaskLandscapeLeft | OrientationMaskLandscapeRight,
    OrientationMaskAllButUpsideDown = OrientationMaskPortrait | OrientationMaskLandscape,
    OrientationMaskAll = OrientationMaskAllButUpsideDown | OrientationMaskPortraitUpsideDown,
};

inline unsigned maskOf(InterfaceOrientation orientation) {
    return 1u << static_cast<unsigned>(orientation);
}

}  // namespace platform
