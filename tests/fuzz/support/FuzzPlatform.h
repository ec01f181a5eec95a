#pragma once

#include "platform/foundation/Clock.h"
#include "platform/ui/Window.h"

#include <memory>

namespace qelvo::fuzz {

// The platform as the fuzz targets that drive screens need it: the main loop on this
// thread with a manual clock, a scratch container, the app's named pictures, a key
// window, and a network that goes nowhere: the service host and every proxy point
// at a loopback port this process holds closed, so no address found in a fuzzed
// reply is ever fetched from anywhere.
class FuzzPlatform {
public:
    // Once per process, before anything else of the platform is used.
    static void start();
    static platform::Window& window();
    // Lets the main loop run what is due, moves the clock past every delayed call the
    // screens make (toasts, fades, the login's close) and forgets the log, so one
    // input leaves nothing for the next.
    static void settle();
    // Empties the container (caches, stores, the preference file) and ends any session,
    // so what one input stored does not shape how the next is read.
    static void forgetStoredState();

private:
    static void closeTheNetwork();
};

}  // namespace qelvo::fuzz
