#include "platform/foundation/Json.h"

#include <fmt/format.h>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

namespace platform {

namespace {
// Whether JSON text opens more than `limit` arrays and objects inside each other,
// found by counting brackets outside strings. For text that is JSON this is its
// nesting exactly; for anything else the parser refuses the text anyway.
bool nestsDeeperThan(std::string_view bytes, int limit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;  // the escaped character, a quote included
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}
}  // namespace

std::optional<Value> Json::parse(std::string_view bytes) {
    if (bytes.empty()) return std::nullopt;
    // The parser itself does not recurse, but everything that walks the value later
    // does (serialising it for a log line among them): too deep is not data.
    if (nestsDeeperThan(bytes, kMaxNestingDepth)) return std::nullopt;
    // The parser validates UTF-8 inside strings; it reports errors as a discarded
    // value instead of throwing.
    Value value = Value::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
    if (value.is_discarded()) return std::nullopt;
    // Only containers are accepted at the root, as the platform parser does.
    if (!value.is_object() && !value.is_array()) return std::nullopt;
    return value;
}

std::optional<Value> Json::parseDictionary(std::string_view bytes) {
    auto value = parse(bytes);
    if (!value || !value->is_object()) return std::nullopt;
    return value;
}

std::string Json::serialize(const Value& value) {
    // Replacement of invalid UTF-8 keeps serialisation from throwing on odd input.
    return value.dump(-1, ' ', false, Value::error_handler_t::replace);
}

const Value* Json::find(const Value& dict, std::string_view key) {
    if (!dict.is_object()) return nullptr;
    const auto it = dict.find(key);
    return it == dict.end() ? nullptr : &*it;
}

namespace {
std::string realDescription(double number) {
    if (std::isfinite(number) && std::floor(number) == number && std::fabs(number) < 1e15) {
        return fmt::format("{}", static_cast<long long>(number));
    }
    return fmt::format("{}", number);  // shortest text that reads back as the same number
}
}  // namespace

std::string Json::description(const Value* value) {
    if (!value) return "(null)";
    switch (value->type()) {
        case Value::value_t::string: return value->get<std::string>();
        case Value::value_t::number_integer: return std::to_string(value->get<long long>());
        case Value::value_t::number_unsigned: return std::to_string(value->get<unsigned long long>());
        case Value::value_t::number_float: return realDescription(value->get<double>());
        case Value::value_t::boolean: return value->get<bool>() ? "1" : "0";
        case Value::value_t::null: return "<null>";
        default: return serialize(*value);
    }
}

std::optional<std::string> Json::string(const Value* value) {
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

std::optional<std::string> Json::stringForKey(const Value& dict, std::string_view key) {
    return string(find(dict, key));
}

namespace {
std::string_view skipSpace(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' ||
                             text.front() == '\r' || text.front() == '\f' || text.front() == '\v')) {
        text.remove_prefix(1);
    }
    return text;
}

template <typename Number>
Number clampTo(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<Number>::max()))
        return std::numeric_limits<Number>::max();
    if (value <= static_cast<double>(std::numeric_limits<Number>::min()))
        return std::numeric_limits<Number>::min();
    return static_cast<Number>(value);
}
}  // namespace

long long Json::longLongValue(std::string_view text) {
    text = skipSpace(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        const int digit = c - '0';
        if (result > (LLONG_MAX - digit) / 10) return negative ? LLONG_MIN : LLONG_MAX;
        result = result * 10 + digit;
    }
    return negative ? -result : result;
}

int Json::intValue(std::string_view text) {
    const long long value = longLongValue(text);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double Json::doubleValue(std::string_view text) {
    text = skipSpace(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    (void)end;
    if (error == std::errc::result_out_of_range) return 0;
    return error == std::errc() ? result : 0;
}

long long Json::longLongValue(const Value* value) {
    if (!value) return 0;
    if (value->is_string()) return longLongValue(value->get_ref<const std::string&>());
    if (value->is_number_integer()) return value->get<long long>();
    if (value->is_number_unsigned())
        return clampTo<long long>(static_cast<double>(value->get<unsigned long long>()));
    if (value->is_number_float()) return clampTo<long long>(value->get<double>());
    if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
    return 0;
}

int Json::intValue(const Value* value) {
    if (!value) return 0;
    if (value->is_string()) return intValue(value->get_ref<const std::string&>());
    if (value->is_number_float()) return clampTo<int>(value->get<double>());
    const long long wide = longLongValue(value);
    if (wide > INT_MAX) return INT_MAX;
    if (wide < INT_MIN) return INT_MIN;
    return static_cast<int>(wide);
}

double Json::doubleValue(const Value* value) {
    if (!value) return 0;
    if (value->is_string()) return doubleValue(value->get_ref<const std::string&>());
    if (value->is_number()) return value->get<double>();
    if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
    return 0;
}

bool Json::boolValue(const Value* value) {
    if (!value) return false;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_number()) return value->get<double>() != 0;
    if (!value->is_string()) return false;
    std::string_view text = skipSpace(value->get_ref<const std::string&>());
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    while (!text.empty() && text.front() == '0')
        text.remove_prefix(1);
    if (text.empty()) return false;
    const char c = text.front();
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

bool Json::isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        unsigned int codePoint;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            codePoint = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            codePoint = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            codePoint = c & 0x07;
        } else
            return false;
        if (i + length > bytes.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point are invalid.
        if ((length == 2 && codePoint < 0x80) || (length == 3 && codePoint < 0x800) ||
            (length == 4 && codePoint < 0x10000) || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace platform
