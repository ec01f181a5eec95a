#include "service/ServiceReply.h"

#include "platform/foundation/Json.h"

std::optional<platform::Value> ServiceReply::parse(std::string_view body) {
    return platform::Json::parseDictionary(body);
}

bool ServiceReply::isSuccess(const platform::Value& reply) {
    std::optional<std::string> result = platform::Json::stringForKey(reply, "result");
    return result.has_value() && *result == "0";
}

bool ServiceReply::isSuccessfulBody(std::string_view body) {
    const auto reply = parse(body);
    return reply && isSuccess(*reply);
}

std::string ServiceReply::message(const platform::Value& reply) {
    return platform::Json::stringForKey(reply, "message").value_or("");
}

int ServiceReply::nowPage(const platform::Value& reply) {
    return platform::Json::intValue(platform::Json::find(reply, "nowPage"));
}

const platform::Value* ServiceReply::dataList(const platform::Value& reply) {
    const platform::Value* list = platform::Json::find(reply, "dataList");
    return list != nullptr && list->is_array() ? list : nullptr;
}

bool ServiceReply::isTrue(const platform::Value& dict, std::string_view key) {
    std::optional<std::string> value = platform::Json::stringForKey(dict, key);
    return value.has_value() && *value == "true";
}
