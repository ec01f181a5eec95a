#include "platform/web/HtmlPage.h"

#include "platform/foundation/Utf8.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>

namespace platform {
namespace {

// Elements whose content is never shown as text.
constexpr std::array<std::string_view, 6> kHiddenContent = {"script",   "style",    "title",
                                                            "noscript", "template", "head"};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

struct NamedEntity {
    std::string_view name;
    unsigned long codePoint;
};

// A non-breaking space reads as a space: the listing is text to find, not to lay out.
constexpr std::array<NamedEntity, 24> kNamedEntities = {{
    {"amp", '&'},       {"lt", '<'},       {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", ' '},      {"copy", 0xA9},    {"reg", 0xAE},     {"trade", 0x2122}, {"middot", 0xB7},
    {"hellip", 0x2026}, {"mdash", 0x2014}, {"ndash", 0x2013}, {"laquo", 0xAB},   {"raquo", 0xBB},
    {"ldquo", 0x201C},  {"rdquo", 0x201D}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"times", 0xD7},
    {"yen", 0xA5},      {"deg", 0xB0},     {"bull", 0x2022},  {"emsp", 0x2003},
}};

}  // namespace

HtmlPage::HtmlPage(std::string_view html) {
    std::size_t pos = 0;
    while (pos < html.size()) {
        std::size_t open = html.find('<', pos);
        appendText(html.substr(pos, open == std::string_view::npos ? std::string_view::npos : open - pos));
        if (open == std::string_view::npos) {
            break;
        }
        if (html.substr(open, 4) == "<!--") {
            std::size_t end = html.find("-->", open + 4);
            pos = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        bool startsTag = open + 1 < html.size() &&
                         (std::isalpha(static_cast<unsigned char>(html[open + 1])) != 0 ||
                          html[open + 1] == '/' || html[open + 1] == '!' || html[open + 1] == '?');
        if (!startsTag) {
            appendText("<");  // a lone "<" in the text
            pos = open + 1;
            continue;
        }
        Tag tag;
        pos = readTag(html, open, tag);
        if (!tag.closing &&
            std::find(kHiddenContent.begin(), kHiddenContent.end(), tag.name) != kHiddenContent.end()) {
            // Skip to the matching end tag; the content is raw text, not markup.
            std::string lower = lowered(html.substr(pos));
            std::size_t end = lower.find("</" + tag.name);
            if (tag.name == "head" && end == std::string::npos) {
                continue;  // no end tag: the head closes itself where the body starts
            }
            pos = end == std::string::npos ? html.size() : readTag(html, pos + end, tag);
            continue;
        }
        handleTag(tag);
    }
    breakLine();
    if (!text_.empty() && text_.back() == '\n') {
        text_.pop_back();
    }
}

std::size_t HtmlPage::readTag(std::string_view html, std::size_t pos, Tag& tag) {
    std::size_t i = pos + 1;
    tag = Tag{};
    if (i < html.size() && html[i] == '/') {
        tag.closing = true;
        ++i;
    }
    std::size_t nameStart = i;
    while (i < html.size() && !isSpace(html[i]) && html[i] != '>' && html[i] != '/') {
        ++i;
    }
    tag.name = lowered(html.substr(nameStart, i - nameStart));
    std::size_t attributesStart = i;
    char quote = 0;
    while (i < html.size() && (quote != 0 || html[i] != '>')) {
        if (quote != 0 && html[i] == quote) {
            quote = 0;
        } else if (quote == 0 && (html[i] == '"' || html[i] == '\'')) {
            quote = html[i];
        }
        ++i;
    }
    tag.attributes = std::string(html.substr(attributesStart, i - attributesStart));
    return i < html.size() ? i + 1 : html.size();
}

std::string HtmlPage::attribute(std::string_view attributes, std::string_view name) {
    std::size_t i = 0;
    while (i < attributes.size()) {
        while (i < attributes.size() && (isSpace(attributes[i]) || attributes[i] == '/')) {
            ++i;
        }
        std::size_t nameStart = i;
        while (i < attributes.size() && !isSpace(attributes[i]) && attributes[i] != '=' &&
               attributes[i] != '/') {
            ++i;
        }
        std::string found = lowered(attributes.substr(nameStart, i - nameStart));
        while (i < attributes.size() && isSpace(attributes[i])) {
            ++i;
        }
        std::string_view value;
        if (i < attributes.size() && attributes[i] == '=') {
            ++i;
            while (i < attributes.size() && isSpace(attributes[i])) {
                ++i;
            }
            if (i < attributes.size() && (attributes[i] == '"' || attributes[i] == '\'')) {
                char quote = attributes[i++];
                std::size_t end = attributes.find(quote, i);
                end = end == std::string_view::npos ? attributes.size() : end;
                value = attributes.substr(i, end - i);
                i = end + 1;
            } else {
                std::size_t start = i;
                while (i < attributes.size() && !isSpace(attributes[i])) {
                    ++i;
                }
                value = attributes.substr(start, i - start);
            }
        }
        if (found == name) {
            return decodeEntities(trimmed(value));
        }
        if (found.empty() && value.empty()) {
            ++i;  // a stray character: step over it
        }
    }
    return {};
}

bool HtmlPage::isBlock(std::string_view name) {
    static constexpr std::array<std::string_view, 31> kBlocks = {
        "p",          "div",    "br",   "li",   "ul",    "ol",         "h1",      "h2",
        "h3",         "h4",     "h5",   "h6",   "tr",    "table",      "section", "article",
        "header",     "footer", "nav",  "hr",   "form",  "dd",         "dt",      "dl",
        "blockquote", "pre",    "body", "main", "aside", "figcaption", "video"};
    return std::find(kBlocks.begin(), kBlocks.end(), name) != kBlocks.end();
}

void HtmlPage::handleTag(const Tag& tag) {
    if (!tag.closing && tag.name == "a") {
        std::string href = attribute(tag.attributes, "href");
        if (!href.empty()) {
            hrefs_.push_back(std::move(href));
        }
    } else if (!tag.closing && tag.name == "base" && baseHref_.empty()) {
        baseHref_ = attribute(tag.attributes, "href");
    }
    if (isBlock(tag.name)) {
        breakLine();
    } else if (tag.name == "td" || tag.name == "th") {
        appendText(" ");
    }
}

void HtmlPage::appendText(std::string_view raw) {
    for (char c : decodeEntities(raw)) {
        if (isSpace(c)) {
            if (!line_.empty() && line_.back() != ' ') {
                line_ += ' ';
            }
        } else {
            line_ += c;
        }
    }
}

void HtmlPage::breakLine() {
    std::string_view line = trimmed(line_);
    if (!line.empty()) {
        text_ += line;
        text_ += '\n';
    }
    line_.clear();
}

std::string HtmlPage::decodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t semicolon = text[i] == '&' ? text.find(';', i + 1) : std::string_view::npos;
        if (semicolon == std::string_view::npos || semicolon - i > 12) {
            out += text[i++];
            continue;
        }
        std::string_view name = text.substr(i + 1, semicolon - i - 1);
        bool decoded = false;
        if (name.size() >= 2 && name.front() == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string digits(name.substr(hex ? 2 : 1));
            bool wellFormed = !digits.empty() && std::all_of(digits.begin(), digits.end(), [hex](char c) {
                return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                           : std::isdigit(static_cast<unsigned char>(c)) != 0;
            });
            if (wellFormed) {
                Utf8::append(out, std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10));
                decoded = true;
            }
        } else {
            for (const auto& entity : kNamedEntities) {
                if (entity.name == name) {
                    Utf8::append(out, entity.codePoint);
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded) {
            i = semicolon + 1;
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace platform
