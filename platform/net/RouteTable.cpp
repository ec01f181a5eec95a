#include "platform/net/RouteTable.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace platform {

namespace {

// Route flags as the kernel prints them (linux/route.h, linux/ipv6_route.h).
constexpr std::uint64_t kRouteUp = 0x0001;
constexpr std::uint64_t kRouteReject = 0x0200;

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
            ++end;
        if (end > at) fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<std::uint64_t> numberOf(std::string_view text, int base) {
    std::uint64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, base);
    if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return value;
}

bool isAllZeros(std::string_view hex) {
    return !hex.empty() && std::all_of(hex.begin(), hex.end(), [](char c) { return c == '0'; });
}

// An interface name that names an entry of /sys/class/net and nothing else.
bool isUsableInterface(std::string_view name) {
    return !name.empty() && name != "lo" && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos;
}

bool isUsableFlags(std::uint64_t flags) {
    return (flags & kRouteUp) != 0 && (flags & kRouteReject) == 0;
}

void keepLower(std::optional<RouteTable::DefaultRoute>& best, std::string_view name, std::uint64_t metric) {
    if (!best || metric < best->metric) best = RouteTable::DefaultRoute{std::string(name), metric};
}

}  // namespace

std::optional<RouteTable::DefaultRoute> RouteTable::defaultRoute(std::string_view ipv4Table,
                                                                 std::string_view ipv6Table) {
    auto best = ipv4DefaultRoute(ipv4Table);
    if (const auto v6 = ipv6DefaultRoute(ipv6Table)) keepLower(best, v6->interfaceName, v6->metric);
    return best;
}

std::optional<RouteTable::DefaultRoute> RouteTable::ipv4DefaultRoute(std::string_view table) {
    const auto lines = linesOf(table);
    if (lines.empty()) return std::nullopt;
    // The header names the columns; reading by name survives a kernel adding one.
    const auto header = fieldsOf(lines.front());
    auto column = [&](std::string_view name) -> std::optional<std::size_t> {
        const auto it = std::find(header.begin(), header.end(), name);
        if (it == header.end()) return std::nullopt;
        return static_cast<std::size_t>(it - header.begin());
    };
    const auto iface = column("Iface");
    const auto destination = column("Destination");
    const auto flags = column("Flags");
    const auto metric = column("Metric");
    const auto mask = column("Mask");
    if (!iface || !destination || !flags || !metric || !mask) return std::nullopt;
    const std::size_t needed = std::max({*iface, *destination, *flags, *metric, *mask}) + 1;

    std::optional<DefaultRoute> best;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = fieldsOf(lines[i]);
        if (fields.size() < needed) continue;
        if (!isAllZeros(fields[*destination]) || !isAllZeros(fields[*mask])) continue;
        const auto flagBits = numberOf(fields[*flags], 16);
        const auto metricValue = numberOf(fields[*metric], 10);
        if (!flagBits || !metricValue || !isUsableFlags(*flagBits)) continue;
        if (!isUsableInterface(fields[*iface])) continue;
        keepLower(best, fields[*iface], *metricValue);
    }
    return best;
}

std::optional<RouteTable::DefaultRoute> RouteTable::ipv6DefaultRoute(std::string_view table) {
    enum Column { kDestination, kPrefixLength, kMetric = 5, kFlags = 8, kInterface = 9, kColumns = 10 };
    std::optional<DefaultRoute> best;
    for (const auto line : linesOf(table)) {
        const auto fields = fieldsOf(line);
        if (fields.size() < kColumns) continue;
        if (fields[kDestination].size() != 32 || !isAllZeros(fields[kDestination])) continue;
        if (numberOf(fields[kPrefixLength], 16) != std::optional<std::uint64_t>(0)) continue;
        const auto flagBits = numberOf(fields[kFlags], 16);
        const auto metricValue = numberOf(fields[kMetric], 16);
        if (!flagBits || !metricValue || !isUsableFlags(*flagBits)) continue;
        if (!isUsableInterface(fields[kInterface])) continue;
        keepLower(best, fields[kInterface], *metricValue);
    }
    return best;
}

}  // namespace platform
