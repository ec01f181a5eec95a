#include "netutil/ALNetwork.h"
#include "netutil/Reachability.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/NetworkMonitor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using platform::NetworkMonitor;
using platform::NetworkStatus;

namespace {

// The shared monitor with the device API's override, on a manual clock.
class ReachabilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::shared().setEcho(false);
        platform::RunLoop::main().adoptCurrentThread();
        platform::RunLoop::main().reset();
        platform::RunLoop::main().setClock(std::make_shared<platform::ManualClock>());
        observation = platform::NotificationCenter::defaultCenter().addObserver(
            Reachability::kReachabilityChangedNotification,
            [this](const platform::Notification& note) { received.push_back(note); });
    }
    void TearDown() override {
        observation.reset();
        NetworkMonitor::shared().setOverride(std::nullopt);
        platform::RunLoop::main().runPending();
        platform::RunLoop::main().reset();
    }

    static void override(NetworkStatus status) {
        NetworkMonitor::shared().setOverride(status);
        platform::RunLoop::main().runPending();
    }

    platform::Observation observation;
    std::vector<platform::Notification> received;
};

TEST_F(ReachabilityTest, StatusAndChecksFollowTheOverride) {
    const auto internet = Reachability::reachabilityForInternetConnection();
    const auto host = Reachability::reachabilityWithHostname("www.apple.com");
    ASSERT_TRUE(host);

    override(NetworkStatus::WiFi);
    for (const auto& route : {internet, host}) {
        EXPECT_EQ(route->currentReachabilityStatus(), Reachability::ReachableViaWiFi);
        EXPECT_TRUE(route->isReachableViaWiFi());
        EXPECT_FALSE(route->isReachableViaWWAN());
        EXPECT_EQ(route->reachabilityFlags(), Reachability::kFlagReachable);
    }
    EXPECT_TRUE(ALNetwork::connectedViaWiFi());
    EXPECT_FALSE(ALNetwork::connectedVia3G());

    override(NetworkStatus::Cellular);
    EXPECT_EQ(internet->currentReachabilityStatus(), Reachability::ReachableViaWWAN);
    EXPECT_TRUE(internet->isReachableViaWWAN());
    EXPECT_FALSE(internet->isReachableViaWiFi());
    EXPECT_EQ(internet->reachabilityFlags(), Reachability::kFlagReachable | Reachability::kFlagIsWWAN);
    EXPECT_TRUE(ALNetwork::connectedVia3G());
    EXPECT_FALSE(ALNetwork::connectedViaWiFi());

    override(NetworkStatus::None);
    EXPECT_EQ(internet->currentReachabilityStatus(), Reachability::NotReachable);
    EXPECT_FALSE(internet->isReachable());
    EXPECT_FALSE(internet->isReachableViaWWAN());
    EXPECT_FALSE(internet->isReachableViaWiFi());
    EXPECT_FALSE(ALNetwork::connectedVia3G());
    EXPECT_FALSE(ALNetwork::connectedViaWiFi());
}

TEST_F(ReachabilityTest, NoObjectForAnEmptyHostName) {
    EXPECT_EQ(Reachability::reachabilityWithHostname(""), nullptr);
}

TEST_F(ReachabilityTest, AStartedObjectPostsEachChangeOnTheMainLoopAndCanBeFound) {
    override(NetworkStatus::WiFi);
    std::weak_ptr<Reachability> weak;
    std::uint64_t id = 0;
    {
        const auto host = Reachability::reachabilityWithHostname("www.apple.com");
        ASSERT_TRUE(host->startNotifier());
        EXPECT_TRUE(host->startNotifier());  // once is enough
        weak = host;
        id = host->identifier();
    }
    // Started objects keep themselves alive.
    ASSERT_FALSE(weak.expired());

    NetworkMonitor::shared().setOverride(NetworkStatus::Cellular);
    EXPECT_TRUE(received.empty());  // delivered by the main loop, not by the caller
    platform::RunLoop::main().runPending();
    ASSERT_EQ(received.size(), 1U);
    EXPECT_EQ(received[0].userInfo.at("status"), Reachability::ReachableViaWWAN);
    EXPECT_EQ(received[0].userInfo.at("reachability"), id);
    {
        const auto poster = Reachability::objectOfNotification(received[0]);
        ASSERT_TRUE(poster);
        EXPECT_TRUE(poster->isReachableViaWWAN());
        EXPECT_EQ(poster->hostName(), "www.apple.com");
    }

    override(NetworkStatus::WiFi);
    ASSERT_EQ(received.size(), 2U);
    EXPECT_EQ(received[1].userInfo.at("status"), Reachability::ReachableViaWiFi);

    weak.lock()->stopNotifier();
    EXPECT_TRUE(weak.expired());
    override(NetworkStatus::None);
    EXPECT_EQ(received.size(), 2U);
    EXPECT_EQ(Reachability::objectOfNotification(received[0]), nullptr);
}

TEST_F(ReachabilityTest, TheCellularCheckLeavesNoStartedObjectBehind) {
    override(NetworkStatus::WiFi);
    for (int i = 0; i < 3; ++i) {
        ALNetwork::connectedVia3G();
    }
    override(NetworkStatus::Cellular);
    EXPECT_TRUE(received.empty());
}

}  // namespace
