#include "IndexPage.h"

#include "HtmlPage.h"
#include "ServicePaths.h"

#include <fmt/format.h>

namespace qelvo::demo {

IndexPage::IndexPage(const ServiceContent& content) : content_(content) {}

void IndexPage::handle(httplib::Response& response, const SiteAddress& site) const {
    const auto link = [&](const std::string& path, const std::string& text) {
        return fmt::format("<li><a href=\"{}\">{}</a></li>", HtmlPage::escape(site.url(path)),
                           HtmlPage::escape(text));
    };
    const std::string ops = paths::kOperations;
    std::string body =
        "<h1>Qelvo 财税微课堂 · 演示服务</h1>\n<p>这是供客户端开发与测试使用的演示服务。</p>\n";
    body += "<h2>接口（mode）</h2>\n<ul>";
    body += link(ops + "?mode=2", "mode=2 首页广告与推荐");
    body += link(ops + "?mode=3&nowPage=1&pageSize=10", "mode=3 课程分类");
    if (!content_.categories.empty())
        body += link(ops + "?mode=5&id=" + content_.categories.front().id + "&nowPage=1&pageSize=10",
                     "mode=5 分类下的课程");
    body += link(ops + "?mode=4&categoryId=&nowPage=1&pageSize=10", "mode=4 资讯栏目");
    if (!content_.channels.empty())
        body += link(ops + "?mode=4&categoryId=" + content_.channels.front().id + "&nowPage=1&pageSize=10",
                     "mode=4 栏目文章");
    body += link(ops + "?mode=6", "mode=6 推荐搜索词");
    body += link(ops + "?mode=7&searchKey=%E5%8F%91%E7%A5%A8&nowPage=1&pageSize=10", "mode=7 搜索“发票”");
    body += "</ul>\n<h2>页面</h2>\n<ul>";
    if (!content_.courses.empty())
        body += link(std::string(paths::kCoursePage) + "?docId=" + content_.courses.front().id + "&from=iOS",
                     "课程页面");
    if (!content_.articles.empty())
        body +=
            link(std::string(paths::kArticlePage) + "?docId=" + content_.articles.front().id + "&from=iOS",
                 "资讯文章");
    body += link(paths::kFeedbackPage, "意见反馈");
    body += link(paths::kAboutPage, "关于我们");
    body += link(paths::kContactPage, "联系我们");
    body += "</ul>\n<h2>测试控制</h2>\n<ul>";
    body += link("/control", "服务状态 /control");
    body += link("/control/requests?from=0", "请求记录 /control/requests");
    body += "</ul>\n";
    response.set_content(HtmlPage::render("Qelvo 演示服务", body), "text/html; charset=utf-8");
}

}  // namespace qelvo::demo
