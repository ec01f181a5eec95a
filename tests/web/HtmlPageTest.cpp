#include "platform/web/HtmlPage.h"

#include <gtest/gtest.h>

namespace {

using platform::HtmlPage;

TEST(HtmlPageText, KeepsWhatAPersonReadsOneLinePerBlock) {
    HtmlPage page(R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>标题不显示</title>
<style>body { color: red; }</style><script>var a = "<p>no</p>";</script></head>
<body><h1>增值税  入门</h1><!-- a comment <p>hidden</p> -->
<p>第一段<br>第二行 <b>加粗</b>
   继续</p><ul><li>一</li><li>二</li></ul><table><tr><td>A</td><td>B</td></tr></table></body></html>)");
    EXPECT_EQ(page.text(), "增值税 入门\n第一段\n第二行 加粗 继续\n一\n二\nA B");
}

TEST(HtmlPageText, DecodesCharacterReferences) {
    EXPECT_EQ(HtmlPage::decodeEntities("a &amp; b &lt;c&gt; &quot;d&quot; &#20013;&#x6587; &nbsp;x"),
              "a & b <c> \"d\" 中文  x");
    // As a browser reads them: "&lt" is one of the old names that need no semicolon.
    EXPECT_EQ(HtmlPage::decodeEntities("&unknown; & &#; &#xZZ; 5 &lt 6"), "&unknown; & &#; &#xZZ; 5 < 6");
    EXPECT_EQ(HtmlPage::decodeEntities("&#0;&#x110000;"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(HtmlPage("<p>1 &lt; 2 &amp;&amp; 3 &gt; 2</p>").text(), "1 < 2 && 3 > 2");
}

TEST(HtmlPageText, ToleratesBrokenMarkup) {
    EXPECT_EQ(HtmlPage("a < b and <p>c").text(), "a < b and\nc");
    EXPECT_EQ(HtmlPage("<p title='x>y'>kept</p><div").text(), "kept");
    EXPECT_EQ(HtmlPage("<script>never closed <p>x</p>").text(), "");
    EXPECT_EQ(HtmlPage("<head><meta charset=utf-8><body>body text").text(), "body text");
    EXPECT_EQ(HtmlPage("").text(), "");
}

TEST(HtmlPageLinks, ListsTheHrefOfEveryAnchorInOrder) {
    HtmlPage page(R"(<base href="/root/"><a href="doLogin">登录</a>
<A class=x HREF='video:http://h/a.mp4*7'>下载</A><a name="top">no href</a>
<a href=plain.html>plain</a><a href=" spaced.html ">s</a><a href="q?a=1&amp;b=2">q</a>)");
    ASSERT_EQ(page.hrefs().size(), 5U);
    EXPECT_EQ(page.hrefs()[0], "doLogin");
    EXPECT_EQ(page.hrefs()[1], "video:http://h/a.mp4*7");
    EXPECT_EQ(page.hrefs()[2], "plain.html");
    EXPECT_EQ(page.hrefs()[3], "spaced.html");
    EXPECT_EQ(page.hrefs()[4], "q?a=1&b=2");
    EXPECT_EQ(page.baseHref(), "/root/");
    // Inline elements with no space between them run together, as a browser draws them.
    EXPECT_EQ(page.text(), "登录 下载no href plainsq");
}

}  // namespace
