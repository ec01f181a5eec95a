#pragma once

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// XML property lists of arrays, dictionaries, strings, numbers and booleans.
class PropertyList {
public:
    // Absent when the file is missing or is not a property list; a list nested deeper
    // than Json::kMaxNestingDepth counts as none.
    static std::optional<Value> read(const std::string& path);
    static std::optional<Value> fromXml(std::string_view xml);
    // The general reader (libplist) alone: every XML and binary form.
    static std::optional<Value> fromAnyForm(std::string_view xml);
    // Absent when the value holds something a property list cannot store
    // (a null anywhere inside), or when the root is no array or dictionary.
    static std::optional<std::string> toXml(const Value& root);
    // Writes atomically; on failure the file keeps its previous content.
    static bool writeAtomically(const Value& root, const std::string& path,
                                FileSystem::Durability durability = FileSystem::Durability::Flushed);
};

}  // namespace platform
