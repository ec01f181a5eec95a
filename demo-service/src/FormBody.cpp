#include "FormBody.h"

namespace qelvo::demo {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

FormBody::FormBody(std::string_view body) : raw_(body) {
    std::size_t start = 0;
    while (start <= body.size()) {
        auto end = body.find('&', start);
        if (end == std::string_view::npos) end = body.size();
        const auto pair = body.substr(start, end - start);
        if (!pair.empty()) {
            const auto equals = pair.find('=');
            const auto key = decode(pair.substr(0, equals));
            const auto value =
                equals == std::string_view::npos ? std::string() : decode(pair.substr(equals + 1));
            // The first occurrence wins, as the client never repeats a key.
            values_.emplace(key, value);
        }
        start = end + 1;
    }
}

std::optional<std::string> FormBody::value(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

std::string FormBody::valueOr(std::string_view key, std::string_view fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? std::string(fallback) : found->second;
}

bool FormBody::has(std::string_view key) const {
    return values_.find(key) != values_.end();
}

std::string FormBody::decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(c == '+' ? ' ' : c);
    }
    return out;
}

}  // namespace qelvo::demo
