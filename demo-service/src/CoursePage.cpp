#include "CoursePage.h"

#include "ErrorPage.h"
#include "HtmlPage.h"

#include <fmt/format.h>

namespace qelvo::demo {

namespace {

std::string e(std::string_view text) {
    return HtmlPage::escape(text);
}

}  // namespace

CoursePage::CoursePage(const ServiceContent& content) : content_(content) {}

std::string CoursePage::videoLink(const Course& course, const SiteAddress& site) {
    return "video:" + site.video(course.video) + "*" + course.id;
}

void CoursePage::handle(const httplib::Request& request, httplib::Response& response,
                        const SiteAddress& site) const {
    const auto docId = request.get_param_value("docId");
    const auto* course = content_.course(docId);
    if (!course) {
        response.status = 404;
        response.set_content(ErrorPage::render(404, "课程不存在或已下线"), "text/html; charset=utf-8");
        return;
    }
    const auto* category = content_.category(course->categoryId);
    std::string body;
    body += fmt::format("<h1>{}</h1>\n", e(course->title));
    body += fmt::format("<p class=\"meta\">主讲：{} · 时长：{} · 分类：{}</p>\n", e(course->teacher),
                        e(course->duration), e(category ? category->title : std::string()));
    body += userPanel(request.get_param_value("userId"));
    body +=
        fmt::format("<video controls preload=\"metadata\" playsinline src=\"{}\" poster=\"{}\"></video>\n",
                    e(site.video(course->video)), e(site.picture("course/" + course->id + ".jpg")));
    body += fmt::format(
        "<p><a class=\"button\" id=\"download\" href=\"{}\">下载视频</a>"
        "<span class=\"meta\">下载后可离线观看</span></p>\n",
        e(videoLink(*course, site)));
    body += "<h2>课程简介</h2>\n<p>" + e(course->info) + "</p>\n";
    if (category && !category->info.empty())
        body += "<h2>所属专题</h2>\n<p>" + e(category->title) + "：" + e(category->info) + "</p>\n";
    body +=
        "<h2>学习建议</h2>\n<ul><li>先观看视频，再对照政策原文梳理要点。</li>"
        "<li>结合本单位的实际业务做一次演练。</li><li>有疑问可在“意见反馈”中留言，老师会统一解答。</li></"
        "ul>\n";
    body += relatedCourses(*course);
    response.set_content(HtmlPage::render(course->title, body), "text/html; charset=utf-8");
}

std::string CoursePage::userPanel(const std::string& userId) const {
    if (userId.empty()) {
        return "<div class=\"box warn\" id=\"user\">您还没有登录，登录后可记录学习进度。"
               "<a class=\"button\" id=\"login\" href=\"doLogin\">登录</a></div>\n";
    }
    const auto* account = content_.accountById(userId);
    const auto name =
        account ? fmt::format("{}（{}）", account->nickName, account->userName) : "学员 " + userId;
    return fmt::format(
        "<div class=\"box\" id=\"user\">当前学员：{}，欢迎回来！"
        "<a id=\"login\" href=\"doLogin\">切换账号</a></div>\n",
        e(name));
}

std::string CoursePage::relatedCourses(const Course& course) const {
    const auto* category = content_.category(course.categoryId);
    if (!category) return {};
    std::string items;
    int shown = 0;
    for (const auto* other : content_.coursesOf(*category)) {
        if (other->id == course.id || shown == 4) continue;
        items += "<li>" + e(other->title) + "</li>";
        ++shown;
    }
    return items.empty() ? std::string() : "<h2>同专题课程</h2>\n<ul>" + items + "</ul>\n";
}

}  // namespace qelvo::demo
