#include "platform/foundation/PropertyList.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/PropertyListDepth.h"
#include "platform/foundation/PropertyListReader.h"
#include "platform/foundation/PropertyListWriter.h"

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>

namespace platform {

namespace {

struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using NodePtr = std::unique_ptr<void, NodeDeleter>;

// `depth` counts the containers around `node`; deeper than the bound is no data.
std::optional<Value> fromNode(plist_t node, int depth) {
    switch (plist_get_node_type(node)) {
        case PLIST_STRING: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return Value(std::string(text ? text : "", text ? length : 0));
        }
        case PLIST_BOOLEAN: {
            uint8_t flag = 0;
            plist_get_bool_val(node, &flag);
            return Value(flag != 0);
        }
        case PLIST_UINT: {
            uint64_t number = 0;
            plist_get_uint_val(node, &number);
            // Stored as the two's complement of the signed value, so negatives survive.
            return Value(static_cast<long long>(number));
        }
        case PLIST_REAL: {
            double number = 0;
            plist_get_real_val(node, &number);
            return Value(number);
        }
        case PLIST_DATA: {
            char* bytes = nullptr;
            uint64_t length = 0;
            plist_get_data_val(node, &bytes, &length);
            Value value = std::string(bytes ? bytes : "", bytes ? length : 0);
            std::free(bytes);
            return value;
        }
        case PLIST_DATE: {
            int32_t seconds = 0, micros = 0;
            plist_get_date_val(node, &seconds, &micros);
            // Property-list dates count from 2001-01-01; kept as seconds since 1970.
            return Value(static_cast<double>(seconds) + 978307200.0 + micros / 1e6);
        }
        case PLIST_ARRAY: {
            if (depth >= Json::kMaxNestingDepth) return std::nullopt;
            Value array = Value::array();
            const uint32_t count = plist_array_get_size(node);
            for (uint32_t i = 0; i < count; ++i) {
                auto item = fromNode(plist_array_get_item(node, i), depth + 1);
                if (!item) return std::nullopt;
                array.push_back(std::move(*item));
            }
            return array;
        }
        case PLIST_DICT: {
            if (depth >= Json::kMaxNestingDepth) return std::nullopt;
            Value dict = Value::object();
            plist_dict_iter iter = nullptr;
            plist_dict_new_iter(node, &iter);
            for (;;) {
                char* key = nullptr;
                plist_t item = nullptr;
                plist_dict_next_item(node, iter, &key, &item);
                if (!item) {
                    std::free(key);
                    break;
                }
                auto converted = fromNode(item, depth + 1);
                std::string name = key ? key : "";
                std::free(key);
                if (!converted) {
                    std::free(iter);
                    return std::nullopt;
                }
                dict[name] = std::move(*converted);
            }
            std::free(iter);
            return dict;
        }
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<Value> PropertyList::fromXml(std::string_view xml) {
    if (xml.empty() || xml.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    if (auto plain = PropertyListReader::read(xml)) return plain;
    return fromAnyForm(xml);
}

std::optional<Value> PropertyList::fromAnyForm(std::string_view xml) {
    if (xml.empty() || xml.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    // libplist recurses once per level while it reads: a list too deep for us is never
    // handed to it.
    if (PropertyListDepth::exceeds(xml, Json::kMaxNestingDepth)) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    if (!root) return std::nullopt;
    NodePtr owner(root);
    if (xml.starts_with("bplist")) {
        // A binary list can hold keys with a zero byte inside, on which libplist's key reading
        // stops the process; written out as XML and read back, every key is plain text.
        char* text = nullptr;
        uint32_t length = 0;
        plist_to_xml(root, &text, &length);
        if (!text) return std::nullopt;
        plist_t reread = nullptr;
        plist_from_xml(text, length, &reread);
        std::free(text);
        if (!reread) return std::nullopt;
        owner = NodePtr(reread);
        root = reread;
    }
    return fromNode(root, 0);
}

std::optional<Value> PropertyList::read(const std::string& path) {
    const auto bytes = FileSystem::readFile(path);
    if (!bytes) return std::nullopt;
    return fromXml(*bytes);
}

std::optional<std::string> PropertyList::toXml(const Value& root) {
    return PropertyListWriter::write(root);
}

bool PropertyList::writeAtomically(const Value& root, const std::string& path, FileSystem::Durability durability) {
    const auto xml = toXml(root);
    if (!xml) return false;
    return FileSystem::writeFileAtomically(path, *xml, durability);
}

}  // namespace platform
