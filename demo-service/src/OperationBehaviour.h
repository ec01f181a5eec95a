#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qelvo::demo {

// How the service answers one operation when a test has asked it to misbehave.
struct OperationBehaviour {
    enum class Kind {
        Normal,         // the real reply (possibly delayed)
        NotJson,        // status 200 with an HTML text instead of JSON
        NotUtf8,        // the real reply, encoded in GBK instead of UTF-8
        ResultFailure,  // {"result": "1", "message": ...}
        Http500,        // status 500 with an HTML error page
        Drop,           // headers, then the connection closes before the body
        Empty,          // status 200 with an empty body
        Custom,         // the given text (or JSON) instead of the reply
        Patch,          // the real reply with a JSON merge patch applied
    };

    Kind kind = Kind::Normal;
    std::chrono::milliseconds delay{0};
    std::string message;
    std::string body;      // Custom: the text sent
    nlohmann::json patch;  // Patch: merged into the real reply (RFC 7396; null removes a key)
    int remaining = -1;    // replies left to misbehave; -1 = until changed

    // Reads {"behaviour": "notJson", "delay": 1500, "times": 2, "message": "..."};
    // "custom" takes "reply" (any JSON) or "body" (a text), "patch" takes "patch".
    static std::optional<OperationBehaviour> fromJson(const nlohmann::json& request, std::string& error);
    nlohmann::json toJson() const;

    static std::optional<Kind> kindFromName(std::string_view name);
    static std::string nameOf(Kind kind);
};

}  // namespace qelvo::demo
