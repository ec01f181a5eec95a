#pragma once

#include "platform/foundation/JsonFwd.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Value (JsonFwd.h): dictionaries, arrays, strings and numbers that travel between the service,
// the stores and the screens. Dictionaries compare key by key.

// Reading and writing values with the platform's string and number semantics.
class Json {
public:
    // Arrays and dictionaries nested deeper than this are no data: replies and stored
    // lists that deep are refused when read, so nothing that walks a value (writing it
    // back as text, copying it into a view) recurses without limit.
    static constexpr int kMaxNestingDepth = 512;

    // Parses a reply body. Absent for anything that is not JSON, including an
    // empty body, bytes that are not UTF-8 and containers nested deeper than
    // kMaxNestingDepth.
    static std::optional<Value> parse(std::string_view bytes);
    // Parses and keeps the result only when it is a dictionary.
    static std::optional<Value> parseDictionary(std::string_view bytes);
    static std::string serialize(const Value& value);

    // The member of a dictionary, or nullptr when the value is no dictionary or
    // has no such key.
    static const Value* find(const Value& dict, std::string_view key);

    // A value as "%@" inserts it: a string as it is, a whole number as its decimal
    // text, a real number in its shortest form, true/false as "1"/"0", null as
    // "<null>", and an absent value as "(null)".
    static std::string description(const Value* value);
    static std::string description(const Value& value) { return description(&value); }

    // The text of a string value; absent for any other kind of value.
    static std::optional<std::string> string(const Value* value);
    static std::optional<std::string> stringForKey(const Value& dict, std::string_view key);

    // intValue: leading whitespace, an optional sign and the digits that follow
    // ("17abc" gives 17, "abc" gives 0); numbers are truncated; absent gives 0.
    static int intValue(const Value* value);
    static long long longLongValue(const Value* value);
    static double doubleValue(const Value* value);
    // boolValue: "YES"/"true"/non-zero text and non-zero numbers are true.
    static bool boolValue(const Value* value);

    // Text with the same reading rules, for strings that did not come from JSON.
    static int intValue(std::string_view text);
    static long long longLongValue(std::string_view text);
    static double doubleValue(std::string_view text);
    static bool isValidUtf8(std::string_view bytes);
};

}  // namespace platform
