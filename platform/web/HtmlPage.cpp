#include "platform/web/HtmlPage.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <memory>

namespace platform {
namespace {

// Elements whose content is never shown as text. The head needs none of its own: the
// parser moves any text written there into the body, as browsers show it.
constexpr std::array<GumboTag, 5> kHiddenContent = {GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE, GUMBO_TAG_TITLE,
                                                    GUMBO_TAG_NOSCRIPT, GUMBO_TAG_TEMPLATE};

// Elements that start and end a line of their own.
constexpr std::array<GumboTag, 31> kBlocks = {
    GUMBO_TAG_P,       GUMBO_TAG_DIV,    GUMBO_TAG_BR,     GUMBO_TAG_LI,    GUMBO_TAG_UL,
    GUMBO_TAG_OL,      GUMBO_TAG_H1,     GUMBO_TAG_H2,     GUMBO_TAG_H3,    GUMBO_TAG_H4,
    GUMBO_TAG_H5,      GUMBO_TAG_H6,     GUMBO_TAG_TR,     GUMBO_TAG_TABLE, GUMBO_TAG_SECTION,
    GUMBO_TAG_ARTICLE, GUMBO_TAG_HEADER, GUMBO_TAG_FOOTER, GUMBO_TAG_NAV,   GUMBO_TAG_HR,
    GUMBO_TAG_FORM,    GUMBO_TAG_DD,     GUMBO_TAG_DT,     GUMBO_TAG_DL,    GUMBO_TAG_BLOCKQUOTE,
    GUMBO_TAG_PRE,     GUMBO_TAG_BODY,   GUMBO_TAG_MAIN,   GUMBO_TAG_ASIDE, GUMBO_TAG_FIGCAPTION,
    GUMBO_TAG_VIDEO};

template <std::size_t N>
bool isOneOf(GumboTag tag, const std::array<GumboTag, N>& tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
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

// A non-breaking space (U+00A0) reads as a space: the listing is text to find, not to lay out.
constexpr std::string_view kNonBreakingSpace = "\xC2\xA0";

std::string withPlainSpaces(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.substr(at, kNonBreakingSpace.size()) == kNonBreakingSpace) {
            plain += ' ';
            at += kNonBreakingSpace.size() - 1;
        } else {
            plain += text[at];
        }
    }
    return plain;
}

// Parse errors are not kept: the page is read as a browser reads it regardless, and
// gumbo copies the open elements into every error it records.
GumboOptions parserOptions() {
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    return options;
}

struct OutputDeleter {
    GumboOptions options;
    void operator()(GumboOutput* output) const { gumbo_destroy_output(&options, output); }
};
using OutputPtr = std::unique_ptr<GumboOutput, OutputDeleter>;

OutputPtr parse(const GumboOptions& options, std::string_view html) {
    return OutputPtr(gumbo_parse_with_options(&options, html.data(), html.size()), OutputDeleter{options});
}

// The page up to its kMaxTags-th tag ("<" and a letter or "/").
std::string_view withinTagLimit(std::string_view html) {
    std::size_t tags = 0;
    for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
        if (at + 1 < html.size() && (isAsciiLetter(html[at + 1]) || html[at + 1] == '/') &&
            ++tags > HtmlPage::kMaxTags) {
            return html.substr(0, at);
        }
    }
    return html;
}

std::string hrefOf(const GumboNode& element) {
    const GumboAttribute* href = gumbo_get_attribute(&element.v.element.attributes, "href");
    return href != nullptr && href->value != nullptr ? std::string(trimmed(href->value)) : std::string();
}

}  // namespace

HtmlPage::HtmlPage(std::string_view html) {
    const GumboOptions options = parserOptions();
    OutputPtr output = parse(options, withinTagLimit(html));
    read(*output->root);
    breakLine();
    if (!text_.empty() && text_.back() == '\n') {
        text_.pop_back();
    }
}

void HtmlPage::read(const GumboNode& root) {
    // Elements nest as deep as the page makes them: walk with a list of what is left
    // rather than the call stack.
    struct Step {
        const GumboNode* node;
        bool leaving;
    };
    std::vector<Step> pending{{&root, false}};
    while (!pending.empty()) {
        const Step step = pending.back();
        pending.pop_back();
        const GumboNode& node = *step.node;
        if (step.leaving) {
            separate(node);
            continue;
        }
        switch (node.type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA: appendText(node.v.text.text); break;
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                if (isOneOf(node.v.element.tag, kHiddenContent)) {
                    break;
                }
                enter(node);
                pending.push_back({&node, true});
                const GumboVector& children = node.v.element.children;
                for (unsigned int i = children.length; i > 0; --i) {
                    pending.push_back({static_cast<const GumboNode*>(children.data[i - 1]), false});
                }
                break;
            }
            default: break;  // comments and the document itself
        }
    }
}

void HtmlPage::enter(const GumboNode& element) {
    const GumboTag tag = element.v.element.tag;
    if (tag == GUMBO_TAG_A) {
        std::string href = hrefOf(element);
        if (!href.empty()) {
            hrefs_.push_back(std::move(href));
        }
    } else if (tag == GUMBO_TAG_BASE && baseHref_.empty()) {
        baseHref_ = hrefOf(element);
    }
    separate(element);
}

void HtmlPage::separate(const GumboNode& element) {
    const GumboTag tag = element.v.element.tag;
    if (isOneOf(tag, kBlocks)) {
        breakLine();
    } else if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) {
        appendText(" ");
    }
}

void HtmlPage::appendText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool space = isSpace(text[i]);
        if (text.substr(i, kNonBreakingSpace.size()) == kNonBreakingSpace) {
            space = true;
            i += kNonBreakingSpace.size() - 1;
        }
        if (!space) {
            line_ += text[i];
        } else if (!line_.empty() && line_.back() != ' ') {
            line_ += ' ';
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
    // Read as the content of a <textarea>: character references are decoded there and
    // nothing in the text is taken for a tag.
    GumboOptions options = parserOptions();
    options.fragment_context = GUMBO_TAG_TEXTAREA;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;
    OutputPtr output = parse(options, text);
    std::string decoded;
    const GumboVector& children = output->root->v.element.children;
    for (unsigned int i = 0; i < children.length; ++i) {
        const auto* node = static_cast<const GumboNode*>(children.data[i]);
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
            decoded += node->v.text.text;
        }
    }
    return withPlainSpaces(decoded);
}

}  // namespace platform
