#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/LogWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Every test gets a container of its own in a fresh temporary folder, a manual
// clock on the main run loop, and the log lines written during the test.
class StorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qelvo-storage-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        home_ = pattern;
        previousHome_ = platform::Container::shared().home();
        restoreHome_ = previousHome_ != platform::Container::defaultHome().string() &&
                       std::filesystem::is_directory(previousHome_);
        platform::Container::shared().setHome(home_);
        platform::UserDefaults::standard().load();
        platform::Log::shared().setEcho(false);
        log_.start();
        platform::RunLoop::main().adoptCurrentThread();
        clock_ = std::make_shared<platform::ManualClock>();
        platform::RunLoop::main().setClock(clock_);
    }

    void TearDown() override {
        platform::RunLoop::main().reset();
        platform::RunLoop::main().setClock(std::make_shared<platform::RealClock>());
        // Only a home that someone else chose and that still exists is put back:
        // neither the default home nor an earlier test's removed folder is
        // created again just because a test ran.
        if (restoreHome_) {
            platform::Container::shared().setHome(previousHome_);
            platform::UserDefaults::standard().load();
        }
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

    std::string documents() const { return platform::Container::shared().documents(); }
    std::string caches() const { return platform::Container::shared().caches(); }

    std::vector<std::string> logLines() const { return log_.lines(); }
    bool logged(const std::string& line) const { return log_.saw(line); }

    std::filesystem::path home_;
    std::string previousHome_;
    bool restoreHome_ = false;
    qelvo::test::LogWatch log_;
    std::shared_ptr<platform::ManualClock> clock_;
};
