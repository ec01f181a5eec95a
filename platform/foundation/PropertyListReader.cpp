#include "platform/foundation/PropertyListReader.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Utf8.h"

#include <charconv>
#include <cmath>

namespace platform {

namespace {
// Deeper nesting is no data: the caller checks the depth before any other reader sees it.
constexpr int kMaxDepth = Json::kMaxNestingDepth;

}  // namespace

std::optional<Value> PropertyListReader::read(std::string_view xml) {
    PropertyListReader reader(xml);
    return reader.document();
}

void PropertyListReader::skipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r')) {
        ++pos_;
    }
}

bool PropertyListReader::consume(std::string_view literal) {
    if (text_.substr(pos_, literal.size()) != literal) return false;
    pos_ += literal.size();
    return true;
}

std::optional<Value> PropertyListReader::document() {
    // Only the declarations this app and the platform write; any other form
    // (and any NUL byte, which ends the text for C readers) is the general reader's.
    if (text_.find('\0') != std::string_view::npos) return std::nullopt;
    skipSpace();
    if (consume("<?xml")) {
        if (!consume(" version=\"1.0\" encoding=\"UTF-8\"?>")) return std::nullopt;
        skipSpace();
    }
    if (consume("<!DOCTYPE")) {
        if (!consume(" plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">")) {
            return std::nullopt;
        }
        skipSpace();
    }
    if (!consume("<plist version=\"1.0\">") && !consume("<plist>")) return std::nullopt;
    skipSpace();
    auto root = value();
    if (!root || (!root->is_array() && !root->is_object())) return std::nullopt;
    skipSpace();
    if (!consume("</plist>")) return std::nullopt;
    skipSpace();
    if (pos_ != text_.size()) return std::nullopt;
    return root;
}

std::optional<std::string> PropertyListReader::textUntil(std::string_view closingTag) {
    std::string out;
    for (;;) {
        const auto stop = text_.find_first_of("<&", pos_);
        if (stop == std::string_view::npos) return std::nullopt;
        out.append(text_.substr(pos_, stop - pos_));
        pos_ = stop;
        if (text_[pos_] == '<') break;
        const auto semicolon = text_.find(';', pos_);
        if (semicolon == std::string_view::npos || semicolon - pos_ > 10) return std::nullopt;
        const std::string_view entity = text_.substr(pos_ + 1, semicolon - pos_ - 1);
        if (entity == "amp")
            out += '&';
        else if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            unsigned int codePoint = 0;
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), codePoint, hex ? 16 : 10);
            if (error != std::errc() || end != digits.data() + digits.size() || codePoint == 0 ||
                codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
                return std::nullopt;
            }
            Utf8::append(out, codePoint);
        } else {
            return std::nullopt;
        }
        pos_ = semicolon + 1;
    }
    if (!consume(closingTag)) return std::nullopt;
    if (!Json::isValidUtf8(out)) return std::nullopt;
    return out;
}

std::optional<Value> PropertyListReader::value() {
    if (consume("<string>")) {
        auto text = textUntil("</string>");
        if (!text) return std::nullopt;
        return Value(std::move(*text));
    }
    if (consume("<string/>")) return Value(std::string());
    if (consume("<dict>")) return container(true);
    if (consume("<array>")) return container(false);
    if (consume("<dict/>")) return Value::object();
    if (consume("<array/>")) return Value::array();
    if (consume("<true/>")) return Value(true);
    if (consume("<false/>")) return Value(false);
    if (consume("<integer>")) {
        const auto text = textUntil("</integer>");
        if (!text || text->empty()) return std::nullopt;
        long long number = 0;
        const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
        if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
        return Value(number);
    }
    if (consume("<real>")) {
        const auto text = textUntil("</real>");
        if (!text || text->empty()) return std::nullopt;
        double number = 0;
        const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
        if (error != std::errc() || end != text->data() + text->size() || !std::isfinite(number)) {
            return std::nullopt;
        }
        return Value(number);
    }
    return std::nullopt;
}

std::optional<Value> PropertyListReader::container(bool isDict) {
    if (++depth_ > kMaxDepth) return std::nullopt;
    Value result = isDict ? Value::object() : Value::array();
    for (;;) {
        skipSpace();
        if (consume(isDict ? "</dict>" : "</array>")) break;
        if (isDict) {
            if (!consume("<key>")) return std::nullopt;
            auto key = textUntil("</key>");
            if (!key) return std::nullopt;
            skipSpace();
            auto item = value();
            if (!item) return std::nullopt;
            result[std::move(*key)] = std::move(*item);
        } else {
            auto item = value();
            if (!item) return std::nullopt;
            result.push_back(std::move(*item));
        }
    }
    --depth_;
    return result;
}

}  // namespace platform
