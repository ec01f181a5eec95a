#pragma once

#include "platform/foundation/Json.h"

#include <string>

namespace platform {

// The answer of one automation call: an HTTP-like status and a JSON body.
// Failures carry {"error": "text"} and a 4xx status.
struct DeviceReply {
    int status = 200;
    Value body = Value::object();

    static DeviceReply ok(Value body = Value::object()) { return {200, std::move(body)}; }
    static DeviceReply error(int status, const std::string& text) { return {status, Value{{"error", text}}}; }
};

// The automation operations of the running app. Every call runs on the main run
// loop and answers after its change has been applied. The device server maps its
// HTTP routes onto these; in-process tests call them directly.
class DeviceOperations {
public:
    virtual ~DeviceOperations() = default;

    virtual DeviceReply screen() = 0;                    // GET /api/screen
    virtual DeviceReply tree() = 0;                      // GET /api/tree
    virtual DeviceReply tap(const Value& body) = 0;      // POST /api/tap {"x","y"} or {"text","index"}
    virtual DeviceReply touch(const Value& body) = 0;    // POST /api/touch {"phase","x","y","id"}
    virtual DeviceReply drag(const Value& body) = 0;     // POST /api/drag {"from","to","seconds"}
    virtual DeviceReply swipe(const Value& body) = 0;    // POST /api/swipe {"from","to"}
    virtual DeviceReply type(const Value& body) = 0;     // POST /api/type {"text"}
    virtual DeviceReply key(const Value& body) = 0;      // POST /api/key {"key"}
    virtual DeviceReply alert(const Value& body) = 0;    // POST /api/alert {"button"}
    virtual DeviceReply link(const Value& body) = 0;     // POST /api/link {"url"}
    virtual DeviceReply back(const Value& body) = 0;     // POST /api/back {}
    virtual DeviceReply app(const Value& body) = 0;      // POST /api/app {"event"}
    virtual DeviceReply network(const Value& body) = 0;  // POST /api/network {"status"}
    virtual DeviceReply quit(const Value& body) = 0;     // POST /api/quit {}
};

}  // namespace platform
