// Property lists as the stores read them from disk: the strict reader of the plain
// XML this app writes, and libplist for every other form (binary ones included).

#include "platform/foundation/Json.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListReader.h"
#include "tests/fuzz/support/FuzzBytes.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

using platform::PropertyList;
using platform::PropertyListReader;
using platform::Value;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = qelvo::fuzz::bytesOf(data, size);
    const std::optional<Value> strict = PropertyListReader::read(bytes);
    const std::optional<Value> general = PropertyList::fromAnyForm(bytes);
    const std::optional<Value> read = PropertyList::fromXml(bytes);
    if (strict) {
        // What the strict reader takes it reads as the stores see it, and what it reads
        // it writes back to the same list.
        if (!read || *read != *strict) std::abort();
        const std::optional<std::string> written = PropertyList::toXml(*strict);
        if (!written || PropertyListReader::read(*written) != strict) std::abort();
    } else if (general.has_value() != read.has_value()) {
        std::abort();  // the stores fall back to libplist exactly when the strict reader gives up
    }
    return 0;
}
