#pragma once

#include "platform/foundation/Json.h"

#include <optional>
#include <string>

namespace platform {

// Writes values as XML property-list text, byte for byte in the layout libplist
// produces (tab indentation, sorted dictionary keys, "%.17g" reals), straight
// from the values without building a node tree first.
class PropertyListWriter {
public:
    // Absent when something inside has no property-list form: a null, a binary
    // value, or text that is not UTF-8.
    static std::optional<std::string> write(const Value& root);

private:
    explicit PropertyListWriter(std::string& out) : out_(out) {}
    bool writeValue(const Value& value, int depth);
    bool writeText(const char* tag, const std::string& text, int depth);
    void indent(int depth);
    void appendEscaped(const std::string& text);

    std::string& out_;
};

}  // namespace platform
