#pragma once

#include "platform/foundation/Json.h"

#include <optional>
#include <string>
#include <string_view>

// What every reply of the service shares: one JSON object with "result" ("0" on
// success) and "message", and for paged lists "nowPage", "dataList" and "hasNext".
class ServiceReply {
public:
    // The reply as a dictionary; absent when the body is not a JSON object
    // (an empty body or an HTML error page included).
    static std::optional<platform::Value> parse(std::string_view body);

    // "result" is the string "0".
    static bool isSuccess(const platform::Value& reply);
    // A body that parses as a reply whose "result" is "0": only such a reply may replace a cached one.
    static bool isSuccessfulBody(std::string_view body);
    // "message" when it is a text; empty when absent or of another kind.
    static std::string message(const platform::Value& reply);

    // "nowPage" read as an integer (0 when absent).
    static int nowPage(const platform::Value& reply);
    // "dataList" when it is an array; nullptr otherwise.
    static const platform::Value* dataList(const platform::Value& reply);
    // `key` ("hasNext", or "hasMore" of a home page section) is the string "true".
    static bool isTrue(const platform::Value& dict, std::string_view key);
    static bool hasNext(const platform::Value& reply) { return isTrue(reply, "hasNext"); }
};
