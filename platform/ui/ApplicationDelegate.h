#pragma once

#include "platform/ui/InterfaceOrientation.h"

namespace platform {

class Application;
class Window;

// The application's delegate: hears the application's life events.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual bool didFinishLaunchingWithOptions(Application&) { return true; }
    virtual void applicationDidBecomeActive(Application&) {}
    virtual void applicationWillResignActive(Application&) {}
    virtual void applicationDidEnterBackground(Application&) {}
    virtual void applicationWillEnterForeground(Application&) {}
    virtual void applicationWillTerminate(Application&) {}
    virtual void applicationDidReceiveMemoryWarning(Application&) {}
    virtual unsigned supportedInterfaceOrientationsForWindow(Application&, Window*) {
        return OrientationMaskAllButUpsideDown;
    }
};

}  // namespace platform
