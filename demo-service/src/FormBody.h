#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace qelvo::demo {

// A form body as the client sends it: "key=value" pairs joined by "&". The client
// inserts values as they are, without percent-encoding, so a value may hold raw
// UTF-8, "&" or "="; "%XX" sequences are still decoded when present.
class FormBody {
public:
    enum class Plus { Literal, Space };

    explicit FormBody(std::string_view body, Plus plus = Plus::Literal);

    std::optional<std::string> value(std::string_view key) const;
    std::string valueOr(std::string_view key, std::string_view fallback = {}) const;
    bool has(std::string_view key) const;

    // Re-reads the fields in the order the client writes them: each value runs up to
    // the "&key=" of the next expected field (the last one to the end of the body),
    // so that "&" and "=" inside a value survive. Keys missing from the body are skipped.
    void readInOrder(std::initializer_list<std::string_view> keys);

    const std::string& raw() const { return raw_; }

    // Decodes "%XX" sequences with two hex digits; everything else stays as it is.
    static std::string percentDecode(std::string_view text, Plus plus = Plus::Literal);

private:
    std::string raw_;
    Plus plus_;
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace qelvo::demo
