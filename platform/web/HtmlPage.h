#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What a person reads in an HTML page and where its links lead, read with a forgiving
// scan rather than a full parser: the text outside tags (scripts, styles and the title
// left out), one line per block, runs of white space made one space and character
// references decoded; and the href of every <a> element, in page order, as written.
class HtmlPage {
public:
    explicit HtmlPage(std::string_view html);

    const std::string& text() const { return text_; }
    const std::vector<std::string>& hrefs() const { return hrefs_; }
    // The href of the page's <base> element, or empty.
    const std::string& baseHref() const { return baseHref_; }

    // Character references (&amp; &#20013; &#x4e2d; ...) replaced by their UTF-8 text;
    // an unknown or malformed reference stays as written.
    static std::string decodeEntities(std::string_view text);

private:
    struct Tag {
        std::string name;  // lower case, without the "/"
        bool closing = false;
        std::string attributes;
    };
    // Reads the tag starting at `html[pos]` ('<'); returns the position after it.
    static std::size_t readTag(std::string_view html, std::size_t pos, Tag& tag);
    static std::string attribute(std::string_view attributes, std::string_view name);
    static bool isBlock(std::string_view name);
    void handleTag(const Tag& tag);
    void appendText(std::string_view raw);
    void breakLine();

    std::string text_;
    std::vector<std::string> hrefs_;
    std::string baseHref_;
    std::string line_;
};

}  // namespace platform
