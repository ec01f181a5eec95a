#pragma once

#include "platform/device/DeviceOperations.h"
#include "platform/foundation/Json.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

inline constexpr char kDeviceServerJsonType[] = "application/json; charset=utf-8";

// One HTTP answer of the device server's routes.
struct DeviceServerResponse {
    int status = 200;
    std::string contentType = kDeviceServerJsonType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // An answer written piece by piece while the connection lasts (an event stream)
    // instead of `body`: called again and again on the server thread with a writer
    // until it returns false; the writer returns false once the client has gone.
    using Writer = std::function<bool(std::string_view)>;
    std::function<bool(const Writer&)> stream = {};

    static DeviceServerResponse json(int status, const Value& body) {
        return {status, kDeviceServerJsonType, Json::serialize(body), {}};
    }
    static DeviceServerResponse reply(const DeviceReply& reply) { return json(reply.status, reply.body); }
    static DeviceServerResponse error(int status, const std::string& text) {
        return json(status, Value{{"error", text}});
    }
};

}  // namespace platform
