#pragma once

#include "platform/device/DeviceOperations.h"
#include "platform/device/DeviceServerRequest.h"
#include "platform/device/DeviceServerResponse.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class DisplayWatcher;

// The browser display's side of the device server: the page and its files, a stream
// of view trees (server-sent events, one "tree" event per change), the pictures the
// tree names, the page a web view shows (with its links handed back to the app) and
// the file the movie player plays, with byte ranges.
//
//   GET /                      the page
//   GET /display/<file>        its scripts and styles
//   GET /display/events        text/event-stream of "tree" events
//   GET /display/picture?src=  a named resource, or a picture a view on screen shows (PNG)
//   GET /display/web?url=      the page a web view on screen shows, links sent to the parent
//   GET /display/movie         the file of the movie player on screen (Range supported)
class DisplayRoutes {
public:
    struct Route {
        std::string method;
        std::string path;
        std::function<DeviceServerResponse(const DeviceServerRequest&)> handler;
    };
    // Runs the function on the main loop and waits; false when the loop did not take it.
    using MainCall = std::function<bool(const std::function<void()>&)>;

    DisplayRoutes(DeviceOperations& operations, MainCall onMain);
    ~DisplayRoutes();
    DisplayRoutes(const DisplayRoutes&) = delete;
    DisplayRoutes& operator=(const DisplayRoutes&) = delete;

    // Every answer carries the page's content security policy (the web page its own,
    // sandboxed one) and sends no referrer.
    std::vector<Route> routes();
    // The event stream answers while open; close() ends every stream at once.
    void open();
    void close();

    // The page's files: QELVO_DISPLAY_DIR when set, else the source tree's folder.
    static std::filesystem::path assetFolder();
    // The part of a file that a "Range: bytes=..." header asks for, as a 206 answer
    // (200 with the whole file without a header, 416 for a range outside it).
    static DeviceServerResponse fileAnswer(const std::filesystem::path& file, const std::string& contentType,
                                           const std::string& range);
    // The page with a base address and a script that sends link taps to the parent
    // window instead of following them.
    static std::string pageWithLinkRelay(const std::string& html, const std::string& url);

private:
    std::vector<Route> unguardedRoutes();
    DeviceServerResponse asset(const std::string& name) const;
    DeviceServerResponse events();
    DeviceServerResponse picture(const DeviceServerRequest& request);
    DeviceServerResponse webPage(const DeviceServerRequest& request);
    DeviceServerResponse movie(const DeviceServerRequest& request);
    std::shared_ptr<DisplayWatcher> watcher() const;

    DeviceOperations& operations_;
    MainCall onMain_;
    mutable std::mutex mutex_;
    std::shared_ptr<DisplayWatcher> watcher_;
    std::map<std::string, std::string> pngs_;  // pictures already written, by source
};

}  // namespace platform
