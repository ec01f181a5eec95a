#include "HtmlPage.h"

namespace qelvo::demo {

namespace {

constexpr std::string_view kStyle = R"(
body{margin:0;padding:0 14px 24px;font-family:"PingFang SC","Hiragino Sans GB","Microsoft YaHei","WenQuanYi Zen Hei",sans-serif;
color:#333;background:#fff;font-size:16px;line-height:1.7;-webkit-text-size-adjust:100%}
h1{font-size:21px;line-height:1.4;margin:16px 0 8px;color:#1d3b53}
h2{font-size:17px;margin:20px 0 6px;color:#1d6f9f;border-left:4px solid #3d9fd2;padding-left:8px}
p{margin:8px 0;text-align:justify}
.meta{color:#888;font-size:13px}
.box{background:#f3f8fb;border:1px solid #d6e8f2;border-radius:6px;padding:10px 12px;margin:12px 0}
.warn{background:#fff6e6;border-color:#f3d9a4}
a{color:#1d6f9f}
a.button{display:inline-block;background:#3d9fd2;color:#fff;text-decoration:none;padding:8px 18px;border-radius:18px;margin:6px 8px 6px 0}
video{width:100%;background:#000;border-radius:6px}
img{max-width:100%;border-radius:6px}
ul{padding-left:20px}
textarea{width:100%;box-sizing:border-box;height:140px;font-size:15px;padding:8px;border:1px solid #ccc;border-radius:6px}
button{background:#3d9fd2;color:#fff;border:0;border-radius:18px;padding:9px 28px;font-size:16px;margin-top:10px}
footer{margin-top:28px;color:#aaa;font-size:12px;text-align:center}
)";

}  // namespace

std::string HtmlPage::render(std::string_view title, std::string_view bodyHtml) {
    std::string page;
    page.reserve(bodyHtml.size() + kStyle.size() + 512);
    page += "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1, maximum-scale=1\">\n";
    page += "<title>" + escape(title) + "</title>\n<style>";
    page += kStyle;
    page += "</style>\n</head>\n<body>\n";
    page += bodyHtml;
    page += "\n<footer>Qelvo 财税微课堂 &copy; 2024</footer>\n</body>\n</html>\n";
    return page;
}

std::string HtmlPage::escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::string HtmlPage::paragraphs(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& text : texts)
        out += "<p>" + escape(text) + "</p>\n";
    return out;
}

}  // namespace qelvo::demo
