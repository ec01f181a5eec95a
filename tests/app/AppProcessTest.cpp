#include "main/LaunchOptions.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

using namespace std::chrono_literals;

namespace {

LaunchOptions parse(std::vector<std::string> args) {
    args.insert(args.begin(), "qelvo");
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    return LaunchOptions::parse(static_cast<int>(argv.size()), argv.data());
}

TEST(LaunchOptionsTest, FlagsAreReadAndBadValuesAreRefusedWithAMessage) {
    const auto options = parse({"--service-host", "127.0.0.1:9000", "--container", "/tmp/c", "--device-port",
                                "9100", "--system-version", "6.1"});
    EXPECT_FALSE(options.exitCode.has_value());
    EXPECT_EQ(options.serviceHost, "127.0.0.1:9000");
    EXPECT_EQ(options.container, "/tmp/c");
    EXPECT_EQ(options.devicePort, 9100);
    EXPECT_EQ(options.systemVersion, "6.1");

    const auto defaults = parse({});
    EXPECT_EQ(defaults.devicePort, 8765);
    EXPECT_EQ(defaults.systemVersion, "7.1");

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--device-port", "70000"}, {"--device-port", "-1"}, {"--system-version", "seven"}, {"--no-such-flag"}}) {
        const auto refused = parse(bad);
        ASSERT_TRUE(refused.exitCode.has_value()) << bad[0];
        EXPECT_NE(*refused.exitCode, 0);
        EXPECT_FALSE(refused.message.empty());
    }
}

// The whole process (main run loop, network thread, queues) sleeps when idle and
// ends cleanly on SIGTERM.
TEST(AppProcessTest, AnIdleAppUsesNoCpuAndEndsOnTermination) {
    qelvo::test::TempContainer container;
    qelvo::test::ChildProcess app(
        {QELVO_APP_BIN, "--container", container.path(), "--service-host", "127.0.0.1:9", "--device-port", "0"});
    ASSERT_TRUE(app.started());
    ASSERT_TRUE(app.waitForOutput("qelvo started", 10s)) << app.output();
    std::this_thread::sleep_for(300ms);  // let start-up work settle
    const double before = app.cpuSeconds();
    std::this_thread::sleep_for(1500ms);
    const double used = app.cpuSeconds() - before;
    // A polling thread would use a good part of the interval; a sleeping process at
    // most a clock tick or two.
    EXPECT_LE(used, 0.03) << "idle process used " << used << " s of CPU";

    app.signal(SIGTERM);
    EXPECT_EQ(app.waitForExit(10s), 0);
    EXPECT_NE(app.output().find("qelvo stopped"), std::string::npos) << app.output();
}

}  // namespace
