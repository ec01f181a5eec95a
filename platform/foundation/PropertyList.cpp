#include "platform/foundation/PropertyList.h"

#include "platform/foundation/FileSystem.h"

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

// Converts a value into a property-list node; nullptr when something inside
// cannot be stored (a null, or text that is not UTF-8).
plist_t toNode(const Value& value) {
    switch (value.type()) {
    case Value::value_t::string: {
        const auto& text = value.get_ref<const std::string&>();
        if (!Json::isValidUtf8(text)) return nullptr;
        return plist_new_string(text.c_str());
    }
    case Value::value_t::boolean: return plist_new_bool(value.get<bool>() ? 1 : 0);
    case Value::value_t::number_integer: return plist_new_uint(static_cast<uint64_t>(value.get<long long>()));
    case Value::value_t::number_unsigned: return plist_new_uint(value.get<unsigned long long>());
    case Value::value_t::number_float: return plist_new_real(value.get<double>());
    case Value::value_t::array: {
        NodePtr array(plist_new_array());
        for (const auto& item : value) {
            plist_t child = toNode(item);
            if (!child) return nullptr;
            plist_array_append_item(static_cast<plist_t>(array.get()), child);
        }
        return static_cast<plist_t>(array.release());
    }
    case Value::value_t::object: {
        NodePtr dict(plist_new_dict());
        for (const auto& [key, item] : value.items()) {
            if (!Json::isValidUtf8(key)) return nullptr;
            plist_t child = toNode(item);
            if (!child) return nullptr;
            plist_dict_set_item(static_cast<plist_t>(dict.get()), key.c_str(), child);
        }
        return static_cast<plist_t>(dict.release());
    }
    default: return nullptr;  // null, binary and discarded values have no property-list form
    }
}

std::optional<Value> fromNode(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        Value value = std::string(text ? text : "");
        std::free(text);
        return value;
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
        Value array = Value::array();
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count; ++i) {
            auto item = fromNode(plist_array_get_item(node, i));
            if (!item) return std::nullopt;
            array.push_back(std::move(*item));
        }
        return array;
    }
    case PLIST_DICT: {
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
            auto converted = fromNode(item);
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

} // namespace

std::optional<Value> PropertyList::fromXml(std::string_view xml) {
    if (xml.empty() || xml.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    if (!root) return std::nullopt;
    NodePtr owner(root);
    return fromNode(root);
}

std::optional<Value> PropertyList::read(const std::string& path) {
    const auto bytes = FileSystem::readFile(path);
    if (!bytes) return std::nullopt;
    return fromXml(*bytes);
}

std::optional<std::string> PropertyList::toXml(const Value& root) {
    if (!root.is_array() && !root.is_object()) return std::nullopt;
    plist_t node = toNode(root);
    if (!node) return std::nullopt;
    NodePtr owner(node);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    if (!xml) return std::nullopt;
    std::string text(xml, length);
    plist_to_xml_free(xml);
    return text;
}

bool PropertyList::writeAtomically(const Value& root, const std::string& path) {
    const auto xml = toXml(root);
    if (!xml) return false;
    return FileSystem::writeFileAtomically(path, *xml);
}

} // namespace platform
