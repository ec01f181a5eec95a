#pragma once

#include <string>
#include <string_view>
#include <vector>

struct GumboInternalNode;

namespace platform {

// What a person reads in an HTML page and where its links lead, read with an HTML5
// parser (gumbo) as a browser reads the page: the text outside tags (scripts, styles
// and the title left out), one line per block, runs of white space made one space and
// character references decoded; and the href of every <a> element, in page order.
class HtmlPage {
public:
    explicit HtmlPage(std::string_view html);

    const std::string& text() const { return text_; }
    const std::vector<std::string>& hrefs() const { return hrefs_; }
    // The href of the page's <base> element, or empty.
    const std::string& baseHref() const { return baseHref_; }

    // Character references (&amp; &#20013; &#x4e2d; ...) in text replaced by their UTF-8
    // text, as an HTML page's text decodes them; a reference that is none stays as written.
    static std::string decodeEntities(std::string_view text);

    // Tags beyond this many are not read: an HTML parser spends time on each tag in
    // proportion to the elements left open, so a page of nothing but unclosed elements
    // would otherwise hold the main thread for minutes. Real pages stay well below.
    static constexpr std::size_t kMaxTags = 10000;

private:
    void read(const GumboInternalNode& root);
    void enter(const GumboInternalNode& element);
    // Where an element starts and where it ends: a block breaks the line, a table cell
    // puts a space.
    void separate(const GumboInternalNode& element);
    void appendText(std::string_view text);
    void breakLine();

    std::string text_;
    std::vector<std::string> hrefs_;
    std::string baseHref_;
    std::string line_;
};

}  // namespace platform
