#include "FormBody.h"

#include <vector>

namespace qelvo::demo {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Position of "key=" at the very start of the body or right after an "&", searching from `from`.
std::size_t findField(std::string_view body, std::string_view key, std::size_t from) {
    if (from == 0 && body.substr(0, key.size()) == key && body.size() > key.size() && body[key.size()] == '=')
        return 0;
    std::string marker = "&";
    marker.append(key);
    marker.push_back('=');
    const auto at = body.find(marker, from);
    return at == std::string_view::npos ? at : at + 1;
}

}  // namespace

FormBody::FormBody(std::string_view body, Plus plus) : raw_(body), plus_(plus) {
    std::size_t start = 0;
    while (start <= body.size()) {
        auto end = body.find('&', start);
        if (end == std::string_view::npos) end = body.size();
        const auto pair = body.substr(start, end - start);
        if (!pair.empty()) {
            const auto equals = pair.find('=');
            const auto key = percentDecode(pair.substr(0, equals), plus_);
            const auto value = equals == std::string_view::npos
                                   ? std::string()
                                   : percentDecode(pair.substr(equals + 1), plus_);
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

void FormBody::readInOrder(std::initializer_list<std::string_view> keys) {
    const std::string_view body = raw_;
    struct Found {
        std::string_view key;
        std::size_t valueStart;
        std::size_t fieldStart;
    };
    std::vector<Found> found;
    std::size_t from = 0;
    for (const auto key : keys) {
        const auto at = findField(body, key, from);
        if (at == std::string_view::npos) continue;
        found.push_back({key, at + key.size() + 1, at});
        from = at + key.size() + 1;
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        // A value ends at the "&" before the next expected field, or at the end of the body.
        const auto end = i + 1 < found.size() ? found[i + 1].fieldStart - 1 : body.size();
        const auto start = found[i].valueStart;
        const auto text = end >= start ? body.substr(start, end - start) : std::string_view();
        values_.insert_or_assign(std::string(found[i].key), percentDecode(text, plus_));
    }
}

std::string FormBody::percentDecode(std::string_view text, Plus plus) {
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
        out.push_back(c == '+' && plus == Plus::Space ? ' ' : c);
    }
    return out;
}

}  // namespace qelvo::demo
