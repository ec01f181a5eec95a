#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Reads the kernel's routing tables in their /proc text form and picks the route
// that carries traffic to the wider network.
class RouteTable {
public:
    struct DefaultRoute {
        std::string interfaceName;
        std::uint64_t metric = 0;
    };

    // The default route with the lowest metric over both families (IPv4 first on a
    // tie). Loopback, rejecting and down routes never count.
    static std::optional<DefaultRoute> defaultRoute(std::string_view ipv4Table, std::string_view ipv6Table);
    // The content of /proc/net/route: a header line naming the columns, then one
    // route per line, addresses and flags in hex, the metric in decimal.
    static std::optional<DefaultRoute> ipv4DefaultRoute(std::string_view table);
    // The content of /proc/net/ipv6_route: ten columns per line, no header, every
    // number in hex, the interface last.
    static std::optional<DefaultRoute> ipv6DefaultRoute(std::string_view table);
};

}  // namespace platform
