#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace qelvo::demo {

// A form body (application/x-www-form-urlencoded), read the standard way: "key=value"
// pairs joined by "&", "+" for a space and "%XX" for any byte. The client encodes every
// value, so "&", "=", "+" and "%" inside one arrive as "%26", "%3D", "%2B" and "%25".
class FormBody {
public:
    explicit FormBody(std::string_view body);

    std::optional<std::string> value(std::string_view key) const;
    std::string valueOr(std::string_view key, std::string_view fallback = {}) const;
    bool has(std::string_view key) const;

    const std::string& raw() const { return raw_; }

    // Decodes "+" as a space and "%XX" sequences with two hex digits; anything else
    // (a lone "%", raw UTF-8) stays as it is.
    static std::string decode(std::string_view text);

private:
    std::string raw_;
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace qelvo::demo
