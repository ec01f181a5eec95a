#include "platform/ui/Touch.h"

#include "platform/ui/View.h"

#include <cmath>

namespace platform {

Point Touch::locationIn(const View& inView) const {
    return inView.convertPointFromView(location, nullptr);
}

double Touch::distanceMoved() const {
    return std::hypot(location.x - startLocation.x, location.y - startLocation.y);
}

}  // namespace platform
