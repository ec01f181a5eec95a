#include "ControlApi.h"

#include <charconv>
#include <cstdint>

namespace qelvo::demo {

using nlohmann::json;

namespace {

void reply(httplib::Response& response, const json& body, int status = 200) {
    response.status = status;
    response.set_content(body.dump(2, ' ', false, json::error_handler_t::replace) + "\n",
                         "application/json; charset=utf-8");
}

void refuse(httplib::Response& response, const std::string& error, int status = 400) {
    reply(response, {{"error", error}}, status);
}

std::optional<json> jsonBody(const httplib::Request& request, httplib::Response& response) {
    auto body = json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        refuse(response, "the body must be a JSON object");
        return std::nullopt;
    }
    return body;
}

// Mode values may be given as numbers ("mode": 2) or strings ("mode": "kym8.7").
std::string modeOf(const json& body) {
    const auto found = body.find("mode");
    if (found == body.end()) return {};
    if (found->is_string()) return found->get<std::string>();
    if (found->is_number_integer()) return std::to_string(found->get<long long>());
    return {};
}

std::uint64_t fromParam(const httplib::Request& request) {
    const auto text = request.get_param_value("from");
    std::uint64_t from = 0;
    std::from_chars(text.data(), text.data() + text.size(), from);
    return from;
}

}  // namespace

ControlApi::ControlApi(ServiceState& state) : state_(state) {}

void ControlApi::handle(const httplib::Request& request, httplib::Response& response) {
    auto path = request.path;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const auto& method = request.method;
    const bool read = method == "GET" || method == "HEAD";

    if (path == "/control" && read) return reply(response, status());
    if (path == "/control" && method == "POST") return setBehaviour(request, response);
    if (path == "/control/behaviours" && method == "DELETE") {
        state_.behaviours.clearAll();
        return reply(response, {{"result", "ok"}});
    }
    if (path == "/control/reset" && method == "POST") {
        state_.reset();
        return reply(response, {{"result", "ok"}});
    }
    if (path == "/control/requests" && read)
        return reply(response, state_.requests.fromIndex(fromParam(request)));
    if ((path == "/control/requests" && method == "DELETE") ||
        (path == "/control/requests/clear" && method == "POST")) {
        state_.requests.clear();
        return reply(response, {{"result", "ok"}});
    }
    if (path == "/control/usage" && read) return reply(response, {{"count", state_.usage.count()}});
    if (path == "/control/feedback" && read) return reply(response, state_.feedback.toJson());
    if (path == "/control/feedback" && method == "DELETE") {
        state_.feedback.clear();
        return reply(response, {{"result", "ok"}});
    }
    if (path == "/control/transfers" && read) return reply(response, state_.transfers.toJson());
    if (path == "/control/transfers" && method == "DELETE") {
        state_.transfers.clear();
        return reply(response, {{"result", "ok"}});
    }
    if (path == "/control/media" && read) return reply(response, {{"versions", state_.versions.toJson()}});
    if (path == "/control/media" && method == "POST") return setMediaVersion(request, response);
    refuse(response, "unknown control call: " + method + " " + path, 404);
}

void ControlApi::setBehaviour(const httplib::Request& request, httplib::Response& response) {
    const auto body = jsonBody(request, response);
    if (!body) return;
    const auto reset = body->find("reset");
    if (reset != body->end() && reset->is_boolean() && reset->get<bool>()) {
        state_.behaviours.clearAll();
        return reply(response, {{"result", "ok"}, {"behaviours", state_.behaviours.toJson()}});
    }
    const auto mode = modeOf(*body);
    if (mode.empty())
        return refuse(response, "\"mode\" is missing (a mode value such as \"2\" or \"kym8.7\", or \"*\")");
    std::string error;
    auto behaviour = OperationBehaviour::fromJson(*body, error);
    if (!behaviour) return refuse(response, error);
    state_.behaviours.set(mode, std::move(*behaviour));
    reply(response, {{"result", "ok"}, {"behaviours", state_.behaviours.toJson()}});
}

void ControlApi::setMediaVersion(const httplib::Request& request, httplib::Response& response) {
    const auto body = jsonBody(request, response);
    if (!body) return;
    const auto path = body->find("path");
    const auto version = body->find("version");
    if (path == body->end() || !path->is_string() || path->get<std::string>().rfind('/', 0) != 0)
        return refuse(response, "\"path\" must be an address path such as \"/videos/tax-101.mp4\"");
    if (version == body->end() || !version->is_number_integer() || version->get<long long>() < 0 ||
        version->get<long long>() > 1000000)
        return refuse(response, "\"version\" must be a whole number from 0 to 1000000");
    state_.versions.set(path->get<std::string>(), static_cast<int>(version->get<long long>()));
    reply(response, {{"result", "ok"}, {"versions", state_.versions.toJson()}});
}

json ControlApi::status() const {
    const auto log = state_.requests.fromIndex(UINT64_MAX);
    return {
        {"usageCount", state_.usage.count()},
        {"feedbackCount", state_.feedback.entries().size()},
        {"behaviours", state_.behaviours.toJson()},
        {"versions", state_.versions.toJson()},
        {"requestsNext", log["next"]},
    };
}

}  // namespace qelvo::demo
