#include "platform/net/RouteTable.h"

#include <gtest/gtest.h>

using platform::RouteTable;

namespace {

const std::string kZeros(32, '0');

std::string ipv6Line(const std::string& destination, const std::string& prefix, const std::string& metric,
                     const std::string& flags, const std::string& iface) {
    return destination + " " + prefix + " " + kZeros + " 00 fe800000000000000000000000000001 " + metric +
           " 00000001 00000000 " + flags + "     " + iface + "\n";
}

TEST(RouteTableTest, OnlyUpDefaultIpv4RoutesOffLoopbackCountReadByColumnName) {
    // Columns in an order of their own: they are found by the header's names.
    const std::string table =
        "Flags Metric Iface Mask Destination\n"
        "0002 1 eth0 00000000 00000000\n"  // not up
        "0201 1 eth1 00000000 00000000\n"  // rejecting
        "0001 1 lo 00000000 00000000\n"    // loopback
        "0001 1 eth2 00000000 0000A8C0\n"  // not 0.0.0.0
        "0001 1 eth3 000000FF 00000000\n"  // a /8
        "0001 1 ../x 00000000 00000000\n"  // not an interface name
        "zz 1 eth4 00000000 00000000\n"    // unreadable
        "0003 300 wlan0 00000000 00000000\n"
        "0003 20 eth5 00000000 00000000\n";
    const auto route = RouteTable::ipv4DefaultRoute(table);
    ASSERT_TRUE(route);
    EXPECT_EQ(route->interfaceName, "eth5");
    EXPECT_EQ(route->metric, 20u);
    EXPECT_FALSE(RouteTable::ipv4DefaultRoute(""));
    EXPECT_FALSE(RouteTable::ipv4DefaultRoute("eth0 00000000 0003 0 00000000\n")) << "no header";
}

TEST(RouteTableTest, Ipv6MetricsAreHexAndTheKernelsUnreachableDefaultDoesNotCount) {
    const std::string table =
        ipv6Line("fd000000000000000000000000000000", "40", "00000100", "00000001", "eth0") +
        ipv6Line(kZeros, "00", "00000001", "00000000", "eth1") +  // not up
        ipv6Line(kZeros, "00", "00000001", "00000201", "eth2") +  // rejecting
        ipv6Line(kZeros, "00", "00000400", "00000003", "wlan0") +
        ipv6Line(kZeros, "00", "ffffffff", "00200200", "lo") + "short line\n";
    const auto route = RouteTable::ipv6DefaultRoute(table);
    ASSERT_TRUE(route);
    EXPECT_EQ(route->interfaceName, "wlan0");
    EXPECT_EQ(route->metric, 0x400u);
}

TEST(RouteTableTest, TheLowestMetricWinsAcrossFamiliesIpv4OnATie) {
    const std::string ipv4 = "Iface Destination Flags Metric Mask\nwlan0 00000000 0003 200 00000000\n";
    EXPECT_EQ(RouteTable::defaultRoute(ipv4, ipv6Line(kZeros, "00", "00000064", "3", "wwan0"))->interfaceName,
              "wwan0");
    EXPECT_EQ(RouteTable::defaultRoute(ipv4, ipv6Line(kZeros, "00", "00000400", "3", "wwan0"))->interfaceName,
              "wlan0");
    EXPECT_EQ(RouteTable::defaultRoute(ipv4, ipv6Line(kZeros, "00", "000000c8", "3", "wwan0"))->interfaceName,
              "wlan0");
    EXPECT_FALSE(RouteTable::defaultRoute("", ""));
}

}  // namespace
