#pragma once

#include "platform/foundation/Json.h"

#include <optional>
#include <string_view>

namespace platform {

// Reads the plain XML property lists this app writes (dictionaries, arrays,
// strings, integers, reals, booleans) straight into values, without building a
// libplist node tree first: the favourites file is read whole on every change.
// Anything it is not sure about (data, dates, comments, CDATA, unknown entities,
// binary lists, malformed text) makes it give up, and the caller hands the bytes
// to libplist instead, which stays the authority on every other form.
class PropertyListReader {
public:
    static std::optional<Value> read(std::string_view xml);

private:
    explicit PropertyListReader(std::string_view xml) : text_(xml) {}
    std::optional<Value> document();
    std::optional<Value> value();
    std::optional<Value> container(bool isDict);
    std::optional<std::string> textUntil(std::string_view closingTag);
    void skipSpace();
    bool consume(std::string_view literal);

    std::string_view text_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

}  // namespace platform
