#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qelvo::demo {

// The frame of every web page of the service: UTF-8, scaled for a phone screen, one
// shared style sheet.
class HtmlPage {
public:
    static std::string render(std::string_view title, std::string_view bodyHtml);
    static std::string escape(std::string_view text);
    // Paragraphs of plain text as <p> elements.
    static std::string paragraphs(const std::vector<std::string>& texts);
};

}  // namespace qelvo::demo
