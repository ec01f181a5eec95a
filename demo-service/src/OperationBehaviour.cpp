#include "OperationBehaviour.h"

#include <array>
#include <utility>

namespace qelvo::demo {

namespace {

using Kind = OperationBehaviour::Kind;

constexpr std::array<std::pair<Kind, std::string_view>, 9> kNames{{
    {Kind::Normal, "normal"},
    {Kind::NotJson, "notJson"},
    {Kind::NotUtf8, "notUtf8"},
    {Kind::ResultFailure, "resultFailure"},
    {Kind::Http500, "http500"},
    {Kind::Drop, "drop"},
    {Kind::Empty, "empty"},
    {Kind::Custom, "custom"},
    {Kind::Patch, "patch"},
}};

std::optional<long long> wholeNumber(const nlohmann::json& request, const char* key) {
    const auto found = request.find(key);
    if (found == request.end()) return std::nullopt;
    if (found->is_number_integer()) return found->get<long long>();
    if (found->is_number_unsigned()) return static_cast<long long>(found->get<unsigned long long>());
    return std::nullopt;
}

}  // namespace

std::optional<OperationBehaviour> OperationBehaviour::fromJson(const nlohmann::json& request,
                                                               std::string& error) {
    OperationBehaviour behaviour;
    const auto name = request.find("behaviour");
    if (name != request.end()) {
        if (!name->is_string()) {
            error = "\"behaviour\" must be a string";
            return std::nullopt;
        }
        const auto text = name->get<std::string>();
        // "delay" names no kind of its own: the real reply, late.
        if (text != "delay") {
            const auto kind = kindFromName(text);
            if (!kind) {
                error = "unknown behaviour \"" + text + "\"";
                return std::nullopt;
            }
            behaviour.kind = *kind;
        }
    }
    if (request.contains("delay")) {
        const auto delay = wholeNumber(request, "delay");
        if (!delay || *delay < 0 || *delay > 600000) {
            error = "\"delay\" must be milliseconds between 0 and 600000";
            return std::nullopt;
        }
        behaviour.delay = std::chrono::milliseconds(*delay);
    }
    if (request.contains("times")) {
        const auto times = wholeNumber(request, "times");
        if (!times || *times < 1 || *times > 1000000) {
            error = "\"times\" must be a positive whole number";
            return std::nullopt;
        }
        behaviour.remaining = static_cast<int>(*times);
    }
    if (behaviour.kind == Kind::Custom) {
        const auto reply = request.find("reply");
        const auto body = request.find("body");
        if (reply != request.end())
            behaviour.body = reply->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        else if (body != request.end() && body->is_string())
            behaviour.body = body->get<std::string>();
        else {
            error = "\"custom\" needs \"reply\" (JSON) or \"body\" (a text)";
            return std::nullopt;
        }
    }
    if (behaviour.kind == Kind::Patch) {
        const auto patch = request.find("patch");
        if (patch == request.end() || !patch->is_object()) {
            error = "\"patch\" needs a JSON object under \"patch\"";
            return std::nullopt;
        }
        behaviour.patch = *patch;
    }
    const auto message = request.find("message");
    if (message != request.end() && message->is_string()) behaviour.message = message->get<std::string>();
    return behaviour;
}

nlohmann::json OperationBehaviour::toJson() const {
    nlohmann::json out = {
        {"behaviour", nameOf(kind)}, {"delay", delay.count()}, {"times", remaining}, {"message", message}};
    if (kind == Kind::Custom) out["body"] = body;
    if (kind == Kind::Patch) out["patch"] = patch;
    return out;
}

std::optional<OperationBehaviour::Kind> OperationBehaviour::kindFromName(std::string_view name) {
    for (const auto& [kind, text] : kNames) {
        if (text == name) return kind;
    }
    return std::nullopt;
}

std::string OperationBehaviour::nameOf(Kind kind) {
    for (const auto& [value, text] : kNames) {
        if (value == kind) return std::string(text);
    }
    return "normal";
}

}  // namespace qelvo::demo
