#include "platform/foundation/PropertyListWriter.h"

#include "platform/foundation/Json.h"

#include <cmath>
#include <cstdio>

namespace platform {

namespace {
constexpr const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";
constexpr const char* kFooter = "</plist>\n";
}  // namespace

std::optional<std::string> PropertyListWriter::write(const Value& root) {
    if (!root.is_array() && !root.is_object()) return std::nullopt;
    std::string out;
    out.reserve(4096);
    out += kHeader;
    PropertyListWriter writer(out);
    if (!writer.writeValue(root, 0)) return std::nullopt;
    out += kFooter;
    return out;
}

void PropertyListWriter::indent(int depth) {
    out_.append(static_cast<std::size_t>(depth), '\t');
}

void PropertyListWriter::appendEscaped(const std::string& text) {
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
            case '&': entity = "&amp;"; break;
            case '<': entity = "&lt;"; break;
            case '>': entity = "&gt;"; break;
            default: continue;
        }
        out_.append(text, plainStart, i - plainStart);
        out_ += entity;
        plainStart = i + 1;
    }
    out_.append(text, plainStart, std::string::npos);
}

bool PropertyListWriter::writeText(const char* tag, const std::string& text, int depth) {
    if (!Json::isValidUtf8(text)) return false;
    indent(depth);
    out_ += '<';
    out_ += tag;
    out_ += '>';
    appendEscaped(text);
    out_ += "</";
    out_ += tag;
    out_ += ">\n";
    return true;
}

bool PropertyListWriter::writeValue(const Value& value, int depth) {
    switch (value.type()) {
        case Value::value_t::string: return writeText("string", value.get_ref<const std::string&>(), depth);
        case Value::value_t::boolean:
            indent(depth);
            out_ += value.get<bool>() ? "<true/>\n" : "<false/>\n";
            return true;
        case Value::value_t::number_integer:
            indent(depth);
            out_ += "<integer>" + std::to_string(value.get<long long>()) + "</integer>\n";
            return true;
        case Value::value_t::number_unsigned:
            indent(depth);
            out_ += "<integer>" + std::to_string(value.get<unsigned long long>()) + "</integer>\n";
            return true;
        case Value::value_t::number_float: {
            if (!std::isfinite(value.get<double>())) return false;  // no reader takes inf or nan back
            char number[40];
            std::snprintf(number, sizeof number, "%.17g", value.get<double>());
            indent(depth);
            out_ += "<real>";
            out_ += number;
            out_ += "</real>\n";
            return true;
        }
        case Value::value_t::array:
            indent(depth);
            if (value.empty()) {
                out_ += "<array/>\n";
                return true;
            }
            out_ += "<array>\n";
            for (const auto& item : value) {
                if (!writeValue(item, depth + 1)) return false;
            }
            indent(depth);
            out_ += "</array>\n";
            return true;
        case Value::value_t::object:
            indent(depth);
            if (value.empty()) {
                out_ += "<dict/>\n";
                return true;
            }
            out_ += "<dict>\n";
            for (const auto& [key, item] : value.items()) {
                if (!writeText("key", key, depth + 1)) return false;
                if (!writeValue(item, depth + 1)) return false;
            }
            indent(depth);
            out_ += "</dict>\n";
            return true;
        default: return false;  // null, binary and discarded values have no property-list form
    }
}

}  // namespace platform
