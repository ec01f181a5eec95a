#pragma once

#include "platform/device/DeviceServerRequest.h"
#include "platform/device/DeviceServerResponse.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Who may call the device server: local automation and the display page the server
// serves itself, never a web page of another site that happens to be open in the same
// browser. Every request passes here before any route sees it, so a refused one does
// no work and reads nothing.
//
//   403  a Host other than 127.0.0.1:PORT, localhost:PORT (or "localhost.") or
//        [::1]:PORT, any case: a name its owner re-points at 127.0.0.1 (DNS
//        rebinding) would otherwise make that site's page same-origin with the server
//        and let it read every answer. A request without Host is refused too.
//   403  an Origin other than the display page's own (http://127.0.0.1:PORT or
//        http://localhost:PORT): browsers send one with every call to another site
//        and with every POST, "null" from sandboxed frames and local files. Callers
//        that send none (curl, scripts, the tests) pass.
//   415  a POST whose body is not application/json: that is the one type a page of
//        another site cannot send without asking first (a CORS preflight), and the
//        server answers no preflight.
class DeviceServerCallerCheck {
public:
    explicit DeviceServerCallerCheck(int port) : port_(port) {}

    // The answer for a request the server must not carry out, or nothing.
    std::optional<DeviceServerResponse> refusal(const DeviceServerRequest& request) const;

    bool isOwnHost(std::string_view host) const;
    bool isOwnOrigin(std::string_view origin) const;
    // "application/json", any case, parameters (a charset) allowed.
    static bool isJson(std::string_view contentType);

private:
    std::string withPort(std::string_view name) const;

    int port_;
};

}  // namespace platform
