#pragma once

#include "platform/device/DeviceOperations.h"
#include "platform/foundation/Json.h"

#include <string>
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

    static DeviceServerResponse json(int status, const Value& body) {
        return {status, kDeviceServerJsonType, Json::serialize(body), {}};
    }
    static DeviceServerResponse reply(const DeviceReply& reply) { return json(reply.status, reply.body); }
    static DeviceServerResponse error(int status, const std::string& text) {
        return json(status, Value{{"error", text}});
    }
};

}  // namespace platform
