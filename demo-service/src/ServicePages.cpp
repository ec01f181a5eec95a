#include "ServicePages.h"

#include "FormBody.h"
#include "HtmlPage.h"
#include "ServicePaths.h"

#include <fmt/format.h>

namespace qelvo::demo {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

std::string e(std::string_view text) {
    return HtmlPage::escape(text);
}

}  // namespace

ServicePages::ServicePages(const ServiceContent& content, UserOperations& users)
    : content_(content), users_(users) {}

void ServicePages::feedback(const httplib::Request& request, httplib::Response& response) {
    auto userId = request.get_param_value("userId");
    std::string notice;
    if (request.method == "POST") {
        const FormBody form(request.body);
        if (userId.empty()) userId = form.valueOr("userId");
        const auto reply = users_.feedback(userId, form.valueOr("content"), "page");
        const bool accepted = reply.value("result", "") == "0";
        notice = fmt::format("<div class=\"box{}\" id=\"notice\">{}</div>\n", accepted ? "" : " warn",
                             e(reply.value("message", "")));
    }
    response.set_content(HtmlPage::render("意见反馈", feedbackForm(userId, notice)), kHtml);
}

std::string ServicePages::feedbackForm(const std::string& userId, const std::string& notice) const {
    std::string who = "游客（未登录）";
    if (!userId.empty()) {
        const auto* account = content_.accountById(userId);
        who = account ? fmt::format("{}（{}）", account->nickName, account->userName) : "学员 " + userId;
    }
    const auto action = userId.empty() ? std::string(paths::kFeedbackPage)
                                       : fmt::format("{}?userId={}", paths::kFeedbackPage, e(userId));
    return fmt::format(
        "<h1>意见反馈</h1>\n{}"
        "<p>您在使用 Qelvo 财税微课堂的过程中遇到任何问题，或对课程内容有任何建议，欢迎告诉我们。"
        "我们会在 3 个工作日内处理并回复。</p>\n"
        "<p class=\"meta\" id=\"who\">反馈人：{}</p>\n"
        "<form method=\"post\" action=\"{}\" accept-charset=\"utf-8\">\n"
        "<input type=\"hidden\" name=\"userId\" value=\"{}\">\n"
        "<textarea name=\"content\" maxlength=\"500\" "
        "placeholder=\"请输入您的意见或建议（500字以内）\"></textarea>\n"
        "<button type=\"submit\">提交</button>\n</form>\n",
        notice, e(who), action, e(userId));
}

void ServicePages::about(httplib::Response& response) const {
    const auto body = fmt::format(
        "<h1>关于我们</h1>\n"
        "<p>Qelvo 财税微课堂是一个面向企业财务人员、办税人员和个人纳税人的移动学习平台，"
        "用五到十分钟的微课程讲清一个财税知识点。</p>\n"
        "<p>平台目前开设 {} 个课程专题、{} 门微课程，覆盖个人所得税、增值税、企业所得税、发票管理、"
        "会计核算与财务分析等内容，并每日更新财税资讯与政策解读。</p>\n"
        "<h2>我们的理念</h2>\n<ul><li>政策讲准：每门课程均由注册会计师或税务师审核。</li>"
        "<li>实务讲透：从真实业务场景出发，讲操作、讲风险、讲案例。</li>"
        "<li>随时可学：支持视频下载，离线也能学习。</li></ul>\n"
        "<h2>版本信息</h2>\n<p class=\"meta\">演示服务 qelvo-demo-service，内容仅供学习演示使用，"
        "不构成任何税务或法律意见。</p>\n",
        content_.categories.size(), content_.courses.size());
    response.set_content(HtmlPage::render("关于我们", body), kHtml);
}

void ServicePages::contact(httplib::Response& response) const {
    const std::string body =
        "<h1>联系我们</h1>\n"
        "<div class=\"box\"><p>客服热线：400-820-1234（工作日 9:00-18:00）</p>"
        "<p>客服邮箱：service@qelvo.example.com</p>"
        "<p>商务合作：bd@qelvo.example.com</p></div>\n"
        "<h2>公司地址</h2>\n<p>上海市浦东新区世纪大道 100 号 18 楼</p>\n"
        "<h2>常见问题</h2>\n<ul><li>忘记密码：请联系客服核实身份后重置。</li>"
        "<li>视频无法下载：请检查网络设置，并在“学员中心”中确认是否允许 3G 网络下载。</li>"
        "<li>发票开具：企业学员可联系商务开具增值税专用发票。</li></ul>\n";
    response.set_content(HtmlPage::render("联系我们", body), kHtml);
}

}  // namespace qelvo::demo
