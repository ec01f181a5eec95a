#include "ByteRange.h"

#include <charconv>
#include <optional>

namespace qelvo::demo {

namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || rest != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

ByteRange ByteRange::parse(std::string_view header, std::uint64_t size) {
    ByteRange range;
    header = trim(header);
    constexpr std::string_view unit = "bytes=";
    if (header.substr(0, unit.size()) != unit) return range;
    const auto wanted = trim(header.substr(unit.size()));
    if (wanted.find(',') != std::string_view::npos) return range;
    const auto dash = wanted.find('-');
    if (dash == std::string_view::npos) return range;
    const auto firstText = trim(wanted.substr(0, dash));
    const auto lastText = trim(wanted.substr(dash + 1));

    if (firstText.empty()) {
        // A suffix: the last n bytes.
        const auto suffix = number(lastText);
        if (!suffix) return range;
        if (*suffix == 0 || size == 0) {
            range.kind = Kind::Unsatisfiable;
            return range;
        }
        range.kind = Kind::Satisfiable;
        range.first = *suffix >= size ? 0 : size - *suffix;
        range.last = size - 1;
        return range;
    }
    const auto first = number(firstText);
    const auto last =
        lastText.empty() ? std::optional<std::uint64_t>(size == 0 ? 0 : size - 1) : number(lastText);
    if (!first || !last) return range;
    if (*first >= size) {
        range.kind = Kind::Unsatisfiable;
        return range;
    }
    if (*last < *first) return range;
    range.kind = Kind::Satisfiable;
    range.first = *first;
    range.last = *last >= size ? size - 1 : *last;
    return range;
}

}  // namespace qelvo::demo
