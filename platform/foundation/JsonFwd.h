#pragma once

#include <nlohmann/json_fwd.hpp>

namespace platform {

// The value type of dictionaries, arrays, strings and numbers (platform/foundation/Json.h), named
// without the whole JSON library, for headers that only pass values along.
using Value = nlohmann::json;

}  // namespace platform
