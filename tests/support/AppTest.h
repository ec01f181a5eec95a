#pragma once

// What every in-process test of the app's screens stands on: a quiet log, the main
// loop on this thread with a manual clock (network replies still arrive in real
// time), a temporary container, the app's resources, the service endpoint pointed at
// the test's stand-in, and a clean application, windows and alerts.

#include "platform/foundation/Clock.h"
#include "tests/support/LogWatch.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qelvo::test {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Clears the windows, the application and the main loop, and the endpoint.
    // Fixtures first release their stand-in, call `finishRequests` and drop their own
    // screens.
    void TearDown() override;

    // "host:port" of the service the app talks to.
    virtual std::string serviceHost() const = 0;
    // A request still in flight keeps its screen alive through its callbacks; lets
    // every one end so that nothing outlives the test, then dismisses the alerts.
    void finishRequests();

    // Runs the main loop until `done` holds.
    bool pump(const std::function<bool()>& done, double seconds = 5);
    // Runs what is ready now.
    void settle();
    void advance(double seconds);

    // The log lines written since the test began.
    std::vector<std::string> logLines() const { return log_.lines(); }
    bool logged(const std::string& line) const { return log_.saw(line); }

    std::unique_ptr<TempContainer> container;
    std::shared_ptr<platform::ManualClock> clock;

private:
    LogWatch log_;
};

}  // namespace qelvo::test
