#include "ArticlePage.h"

#include "ErrorPage.h"
#include "HtmlPage.h"
#include "ServicePaths.h"

#include <fmt/format.h>

namespace qelvo::demo {

ArticlePage::ArticlePage(const ServiceContent& content) : content_(content) {}

void ArticlePage::handle(const httplib::Request& request, httplib::Response& response,
                         const SiteAddress& site) const {
    const auto docId = request.get_param_value("docId");
    std::string page;
    if (const auto* item = content_.article(docId))
        page = article(*item, site);
    else if (const auto* ad = content_.advert(docId))
        page = advert(*ad, site);
    if (page.empty()) {
        response.status = 404;
        response.set_content(ErrorPage::render(404, "文章不存在或已删除"), "text/html; charset=utf-8");
        return;
    }
    response.set_content(page, "text/html; charset=utf-8");
}

std::string ArticlePage::article(const NewsArticle& item, const SiteAddress& site) const {
    const auto* channel = content_.channel(item.channelId);
    std::string body =
        fmt::format("<h1>{}</h1>\n<p class=\"meta\">{} · 来源：{} · 栏目：{}</p>\n",
                    HtmlPage::escape(item.title), HtmlPage::escape(item.date), HtmlPage::escape(item.source),
                    HtmlPage::escape(channel ? channel->title : ""));
    if (channel) {
        for (const auto& head : channel->head) {
            if (head.articleId == item.id)
                body += fmt::format("<p><img src=\"{}\" alt=\"\"></p>\n",
                                    HtmlPage::escape(site.picture(head.image)));
        }
    }
    if (!item.info.empty())
        body += "<div class=\"box\"><strong>导读：</strong>" + HtmlPage::escape(item.info) + "</div>\n";
    body += HtmlPage::paragraphs(item.body);
    if (channel && !channel->closing.empty())
        body += "<p class=\"meta\">" + HtmlPage::escape(channel->closing) + "</p>\n";
    body += related(item);
    return HtmlPage::render(item.title, body);
}

std::string ArticlePage::related(const NewsArticle& item) const {
    const auto* channel = content_.channel(item.channelId);
    if (!channel) return {};
    std::string links;
    int shown = 0;
    for (const auto* other : content_.articlesOf(*channel)) {
        if (other->id == item.id || shown == 3) continue;
        links += fmt::format("<li><a href=\"{}?docId={}&amp;from=iOS\">{}</a></li>", paths::kArticlePage,
                             HtmlPage::escape(other->id), HtmlPage::escape(other->title));
        ++shown;
    }
    return links.empty() ? std::string() : "<h2>相关阅读</h2>\n<ul>" + links + "</ul>\n";
}

std::string ArticlePage::advert(const Advert& ad, const SiteAddress& site) const {
    std::string body = fmt::format("<p><img src=\"{}\" alt=\"\"></p>\n<h1>{}</h1>\n",
                                   HtmlPage::escape(site.picture(ad.image)), HtmlPage::escape(ad.title));
    if (!ad.info.empty()) body += "<div class=\"box\">" + HtmlPage::escape(ad.info) + "</div>\n";
    body += HtmlPage::paragraphs(ad.body);
    return HtmlPage::render(ad.title, body);
}

}  // namespace qelvo::demo
