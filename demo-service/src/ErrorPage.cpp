#include "ErrorPage.h"

#include "HtmlPage.h"

#include <fmt/format.h>

namespace qelvo::demo {

std::string ErrorPage::reasonText(int status) {
    switch (status) {
        case 400: return "请求有误";
        case 401: return "需要登录";
        case 403: return "禁止访问";
        case 404: return "页面不存在";
        case 405: return "不支持的请求方式";
        case 410: return "内容已下线";
        case 416: return "请求的范围无效";
        case 429: return "请求过于频繁";
        case 500: return "服务器内部错误";
        case 502: return "网关错误";
        case 503: return "服务暂不可用";
        case 504: return "网关超时";
        default: return status >= 500 ? "服务器错误" : status >= 400 ? "请求错误" : "提示";
    }
}

std::string ErrorPage::render(int status, std::string_view detail) {
    const auto reason = reasonText(status);
    auto body = fmt::format("<h1>{} {}</h1>\n<div class=\"box warn\"><p>抱歉，您访问的内容暂时无法显示。</p>",
                            status, HtmlPage::escape(reason));
    if (!detail.empty()) body += "<p class=\"meta\">" + HtmlPage::escape(detail) + "</p>";
    body += "</div>\n<p><a href=\"/\">返回首页</a></p>";
    return HtmlPage::render(fmt::format("{} {}", status, reason), body);
}

}  // namespace qelvo::demo
