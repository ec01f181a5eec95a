#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/NetworkMonitor.h"
#include "tests/support/CpuTime.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using platform::FileSystem;
using platform::NetworkMonitor;
using platform::NetworkStatus;
using platform::RunLoop;

namespace {

// /proc/net route tables and /sys/class/net entries below a temporary root.
class FakeMachine {
public:
    FakeMachine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelvo-netmon-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~FakeMachine() {
        std::error_code error;
        std::filesystem::remove_all(root_, error);
    }
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    const std::string& root() const { return root_; }

    // Default routes as {interface, metric}, besides the loopback network's route.
    void setIpv4Defaults(const std::vector<std::pair<std::string, int>>& routes) {
        std::string table =
            "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
        table += "lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n";
        for (const auto& [iface, metric] : routes)
            table += iface + "\t00000000\t0100A8C0\t0003\t0\t0\t" + std::to_string(metric) +
                     "\t00000000\t0\t0\t0\n";
        write("proc/net/route", table);
    }
    void setIpv6Default(const std::string& iface, const std::string& hexMetric) {
        const std::string zeros(32, '0');
        write("proc/net/ipv6_route", zeros + " 00 " + zeros + " 00 fe800000000000000000000000000001 " +
                                         hexMetric + " 00000001 00000000 00000003     " + iface + "\n");
    }
    // `marker` is an entry that makes the interface wireless ("wireless", "phy80211").
    void addInterface(const std::string& name, const std::string& marker = "",
                      const std::string& uevent = "") {
        const std::string folder = "sys/class/net/" + name;
        FileSystem::createDirectories(root_ + "/" + folder + "/" + marker);
        write(folder + "/uevent", "INTERFACE=" + name + "\n" + uevent);
    }

private:
    void write(const std::string& path, const std::string& text) {
        FileSystem::createDirectories(FileSystem::deletingLastPathComponent(root_ + "/" + path));
        ASSERT_TRUE(FileSystem::writeFileAtomically(root_ + "/" + path, text));
    }
    std::string root_;
};

class NetworkMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        RunLoop::main().reset();
        RunLoop::main().adoptCurrentThread();
        platform::Log::shared().setEcho(false);
    }
    void TearDown() override { RunLoop::main().reset(); }
};

TEST_F(NetworkMonitorTest, TheInterfaceOfTheBestDefaultRouteDecidesTheStatus) {
    using Routes = std::vector<std::pair<std::string, int>>;
    struct Case {
        const char* what;
        std::vector<std::vector<std::string>> interfaces;  // {name, marker, uevent lines}
        std::optional<Routes> ipv4;
        std::optional<std::pair<std::string, std::string>> ipv6;  // {interface, hex metric}
        NetworkStatus expected;
    };
    const std::vector<Case> cases = {
        {"no tables", {}, std::nullopt, std::nullopt, NetworkStatus::None},
        {"loopback only", {}, Routes{}, std::nullopt, NetworkStatus::None},
        {"wired", {{"eth0", "", ""}}, Routes{{"eth0", 100}}, std::nullopt, NetworkStatus::WiFi},
        {"wireless", {{"wlan0", "wireless", ""}}, Routes{{"wlan0", 600}}, std::nullopt, NetworkStatus::WiFi},
        {"phy80211",
         {{"wlp2s0", "phy80211", ""}},
         Routes{{"wlp2s0", 600}},
         std::nullopt,
         NetworkStatus::WiFi},
        {"wwan by name", {{"wwan0", "", ""}}, Routes{{"wwan0", 700}}, std::nullopt, NetworkStatus::Cellular},
        {"modem by DEVTYPE",
         {{"usb0", "", "DEVTYPE=wwan\n"}},
         Routes{{"usb0", 7}},
         std::nullopt,
         NetworkStatus::Cellular},
        {"other DEVTYPE",
         {{"usb1", "", "DEVTYPE=gadget\n"}},
         Routes{{"usb1", 7}},
         std::nullopt,
         NetworkStatus::WiFi},
        {"ppp without /sys entry", {}, Routes{{"ppp0", 0}}, std::nullopt, NetworkStatus::Cellular},
        {"IPv6 only", {}, std::nullopt, std::pair{"wwan0", "00000400"}, NetworkStatus::Cellular},
        {"lower IPv4 metric",
         {{"eth0", "", ""}},
         Routes{{"wwan0", 700}, {"eth0", 100}},
         std::nullopt,
         NetworkStatus::WiFi},
        {"lower IPv6 metric",
         {{"eth0", "", ""}},
         Routes{{"eth0", 100}},
         std::pair{"wwan0", "00000032"},
         NetworkStatus::Cellular},
    };
    for (const auto& c : cases) {
        FakeMachine machine;
        for (const auto& iface : c.interfaces)
            machine.addInterface(iface[0], iface[1], iface[2]);
        if (c.ipv4) machine.setIpv4Defaults(*c.ipv4);
        if (c.ipv6) machine.setIpv6Default(c.ipv6->first, c.ipv6->second);
        NetworkMonitor monitor(machine.root());
        monitor.refresh();
        EXPECT_EQ(monitor.status(), c.expected) << c.what;
    }
}

TEST_F(NetworkMonitorTest, TheOverrideWinsUntilItIsCleared) {
    FakeMachine machine;
    machine.setIpv4Defaults({{"eth0", 100}});
    NetworkMonitor monitor(machine.root());
    monitor.refresh();
    monitor.setOverride(NetworkStatus::Cellular);
    EXPECT_EQ(monitor.status(), NetworkStatus::Cellular);

    machine.setIpv4Defaults({});
    monitor.refresh();
    EXPECT_EQ(monitor.status(), NetworkStatus::Cellular) << "the machine does not show through";
    EXPECT_EQ(monitor.machineStatus(), NetworkStatus::None);

    monitor.setOverride(std::nullopt);
    EXPECT_EQ(monitor.status(), NetworkStatus::None);
    EXPECT_FALSE(monitor.statusOverride());
}

TEST_F(NetworkMonitorTest, ObserversRunOnTheMainLoopOncePerChangeOfTheEffectiveStatus) {
    FakeMachine machine;
    NetworkMonitor monitor(machine.root());
    std::vector<NetworkStatus> calls;
    std::vector<std::string> notified;
    auto observation = monitor.addObserver([&](NetworkStatus status) {
        EXPECT_TRUE(RunLoop::main().isLoopThread());
        calls.push_back(status);
    });
    auto notification = platform::NotificationCenter::defaultCenter().addObserver(
        platform::kNetworkMonitorChanged,
        [&](const platform::Notification& note) { notified.push_back(note.userInfo.value("status", "?")); });

    // Found on another thread, delivered when the main loop runs.
    machine.setIpv4Defaults({{"eth0", 100}});
    std::thread([&] { monitor.refresh(); }).join();
    EXPECT_TRUE(calls.empty());
    RunLoop::main().runPending();
    EXPECT_EQ(calls, std::vector<NetworkStatus>{NetworkStatus::WiFi});

    monitor.refresh();                         // unchanged machine
    monitor.setOverride(NetworkStatus::WiFi);  // equal to the effective status
    RunLoop::main().runPending();
    EXPECT_EQ(calls.size(), 1u);

    std::thread([&] { monitor.setOverride(NetworkStatus::Cellular); }).join();
    machine.setIpv4Defaults({});
    monitor.refresh();  // hidden by the override
    monitor.setOverride(std::nullopt);
    RunLoop::main().runPending();
    EXPECT_EQ(calls, (std::vector<NetworkStatus>{NetworkStatus::WiFi, NetworkStatus::Cellular,
                                                 NetworkStatus::None}));
    EXPECT_EQ(notified, (std::vector<std::string>{"wifi", "cellular", "none"}));
}

TEST_F(NetworkMonitorTest, EndedObservationsAndGoneMonitorsDeliverNothing) {
    FakeMachine machine;
    machine.setIpv4Defaults({{"eth0", 100}});
    int first = 0;
    int second = 0;
    platform::NetworkMonitorObservation secondObservation;
    {
        NetworkMonitor monitor(machine.root());
        // The first observer ends the second in the middle of a delivery.
        auto firstObservation = monitor.addObserver([&](NetworkStatus) {
            ++first;
            secondObservation.reset();
        });
        secondObservation = monitor.addObserver([&](NetworkStatus) { ++second; });
        monitor.refresh();
        RunLoop::main().runPending();
        EXPECT_EQ(first, 1);
        EXPECT_EQ(second, 0);

        // A change still queued when the monitor goes away is dropped.
        secondObservation = monitor.addObserver([&](NetworkStatus) { ++second; });
        monitor.setOverride(NetworkStatus::None);
    }
    int notified = 0;
    auto notification = platform::NotificationCenter::defaultCenter().addObserver(
        platform::kNetworkMonitorChanged, [&](const platform::Notification&) { ++notified; });
    RunLoop::main().runPending();
    EXPECT_EQ(first + second + notified, 1);
    secondObservation.reset();  // outliving the monitor is harmless
}

TEST_F(NetworkMonitorTest, StartReadsAtOnceThenSleepsUntilSomethingChanges) {
    FakeMachine machine;
    machine.setIpv4Defaults({{"wwan0", 100}});
    NetworkMonitor monitor(machine.root());
    monitor.start();
    EXPECT_EQ(monitor.status(), NetworkStatus::Cellular);
    if (monitor.isWatching()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double before = qelvo::test::processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        // Polling the tables even every few milliseconds would cost far more.
        EXPECT_LT(qelvo::test::processCpuSeconds() - before, 0.05) << "CPU seconds of an idle second";
    }
    monitor.stop();
    EXPECT_FALSE(monitor.isWatching());
    monitor.stop();
}

TEST(NetworkMonitorNames, TheDeviceApiNamesReadBackAsTheirStatus) {
    for (const auto status : {NetworkStatus::None, NetworkStatus::WiFi, NetworkStatus::Cellular})
        EXPECT_EQ(NetworkMonitor::statusNamed(NetworkMonitor::nameOf(status)), status);
    EXPECT_EQ(NetworkMonitor::nameOf(NetworkStatus::Cellular), "cellular");
    EXPECT_FALSE(NetworkMonitor::statusNamed("WiFi"));
}

}  // namespace
