#include "OperationEndpoint.h"

#include "ErrorPage.h"
#include "HtmlPage.h"
#include "InterruptibleSleep.h"
#include "Utf8.h"

namespace qelvo::demo {

using nlohmann::json;

namespace {

constexpr const char* kJsonType = "application/json; charset=utf-8";

std::string bodyOf(const httplib::Request& request) {
    if (request.method == "POST" || !request.body.empty()) return request.body;
    const auto question = request.target.find('?');
    return question == std::string::npos ? std::string() : request.target.substr(question + 1);
}

// Bytes that cannot be UTF-8, for a reply that cannot be converted to GBK.
std::string spoilUtf8(const std::string& text) {
    return "\xC3\x28\xFF\xFE" + text;
}

}  // namespace

OperationEndpoint::OperationEndpoint(ContentOperations& content, UserOperations& users,
                                     OperationBehaviours& behaviours)
    : content_(content), users_(users), behaviours_(behaviours) {}

std::string OperationEndpoint::toText(const json& reply) {
    return reply.dump(-1, ' ', false, json::error_handler_t::replace);
}

json OperationEndpoint::answer(const FormBody& form, const SiteAddress& site) {
    const auto mode = form.valueOr("mode");
    if (mode == "1") return users_.usageReport();
    if (mode == "2") return content_.home(site);
    if (mode == "3") return content_.categories(form, site);
    if (mode == "4") return content_.news(form, site);
    if (mode == "5") return content_.coursesOfCategory(form, site);
    if (mode == "6") return content_.suggestedKeys(site);
    if (mode == "7") return content_.search(form, site);
    if (mode == "8") return users_.login(form);
    if (mode == "kym8.7") return users_.feedback(form.valueOr("userId"), form.valueOr("content"), "app");
    return ContentOperations::failure(mode.empty() ? "缺少操作类型"
                                                   : "未知的操作类型: " + Utf8::sanitise(mode));
}

void OperationEndpoint::handle(const httplib::Request& request, httplib::Response& response,
                               const SiteAddress& site, std::stop_token stop) {
    const FormBody form(bodyOf(request));
    const auto mode = form.valueOr("mode");
    const auto behaviour = behaviours_.take(mode);

    if (behaviour.delay.count() > 0 && !InterruptibleSleep::sleepFor(stop, behaviour.delay)) {
        response.status = 503;
        response.set_content(ErrorPage::render(503), "text/html; charset=utf-8");
        return;
    }
    using Kind = OperationBehaviour::Kind;
    switch (behaviour.kind) {
        case Kind::Normal: response.set_content(toText(answer(form, site)), kJsonType); return;
        case Kind::NotJson:
            response.set_content(
                HtmlPage::render("系统维护", "<h1>系统维护中</h1><p>服务正在升级，请稍后再试。</p>"),
                "text/html; charset=utf-8");
            return;
        case Kind::NotUtf8: {
            const auto text = toText(answer(form, site));
            response.set_content(Utf8::toGbk(text).value_or(spoilUtf8(text)), kJsonType);
            return;
        }
        case Kind::ResultFailure:
            response.set_content(
                toText(ContentOperations::failure(behaviour.message.empty() ? "服务器繁忙,请稍后再试"
                                                                            : behaviour.message)),
                kJsonType);
            return;
        case Kind::Http500:
            response.status = 500;
            response.set_content(ErrorPage::render(500), "text/html; charset=utf-8");
            return;
        case Kind::Drop: {
            // The headers announce the real reply, then the connection closes before its body.
            const auto length = toText(answer(form, site)).size();
            response.set_content_provider(length, kJsonType,
                                          [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
            return;
        }
        case Kind::Empty: response.set_content(std::string(), kJsonType); return;
        case Kind::Custom: response.set_content(behaviour.body, kJsonType); return;
        case Kind::Patch: {
            auto reply = answer(form, site);
            reply.merge_patch(behaviour.patch);
            response.set_content(toText(reply), kJsonType);
            return;
        }
    }
}

}  // namespace qelvo::demo
