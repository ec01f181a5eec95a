#include "platform/device/DeviceServerCallerCheck.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace platform {

namespace {

// The names the server answers to; "localhost." is the same name written as fully qualified.
constexpr std::array<std::string_view, 4> kOwnNames = {"127.0.0.1", "localhost", "localhost.", "[::1]"};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string lowered(std::string_view text) {
    std::string out(trimmed(text));
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

const std::string* headerOf(const DeviceServerRequest& request, const std::string& name) {
    const auto it = request.headers.find(name);
    return it == request.headers.end() ? nullptr : &it->second;
}

}  // namespace

std::string DeviceServerCallerCheck::withPort(std::string_view name) const {
    std::string out(name);
    out += ':';
    out += std::to_string(port_);
    return out;
}

bool DeviceServerCallerCheck::isOwnHost(std::string_view host) const {
    const std::string text = lowered(host);
    return std::any_of(kOwnNames.begin(), kOwnNames.end(),
                       [&](std::string_view name) { return text == withPort(name); });
}

bool DeviceServerCallerCheck::isOwnOrigin(std::string_view origin) const {
    const std::string text = lowered(origin);
    return text == withPort("http://127.0.0.1") || text == withPort("http://localhost");
}

bool DeviceServerCallerCheck::isJson(std::string_view contentType) {
    return lowered(contentType.substr(0, contentType.find(';'))) == "application/json";
}

std::optional<DeviceServerResponse> DeviceServerCallerCheck::refusal(
    const DeviceServerRequest& request) const {
    const auto* host = headerOf(request, "host");
    if (host == nullptr || !isOwnHost(*host)) {
        return DeviceServerResponse::error(
            403, "the Host header must name this server (127.0.0.1, localhost or [::1] with its port)");
    }
    if (const auto* origin = headerOf(request, "origin"); origin != nullptr && !isOwnOrigin(*origin))
        return DeviceServerResponse::error(403, "calls from the page of another site are refused");
    if (request.method == "POST") {
        const auto* type = headerOf(request, "content-type");
        if (type == nullptr || !isJson(*type))
            return DeviceServerResponse::error(415, "the body must be sent as application/json");
    }
    return std::nullopt;
}

}  // namespace platform
