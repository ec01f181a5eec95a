#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/image/Image.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/support/LogWatch.h"
#include "tests/support/PlatformState.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace qelvo::test {

// A main window on a manual clock, with the app's named pictures in a scratch folder,
// and the platform's shared state put back afterwards.
class ComponentsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::shared().setEcho(false);
        qelvo::test::PlatformState::reset();
        clock = std::make_shared<platform::ManualClock>();
        platform::RunLoop::main().setClock(clock);
        clock->advance(1.0);
        makeResources();
        window = platform::View::create<platform::Window>(platform::Screen::bounds());
        window->makeKeyAndVisible();
        log.start();
    }

    void TearDown() override {
        window.reset();
        qelvo::test::PlatformState::reset();
        platform::Image::setResourcePath("");
        std::error_code ignored;
        std::filesystem::remove_all(resources, ignored);
    }

    // Log messages written since the test began.
    std::vector<std::string> logLines() const { return log.lines(); }
    std::size_t countLogLines(const std::string& message) const { return log.count(message); }

    std::shared_ptr<platform::ManualClock> clock;
    std::shared_ptr<platform::Window> window;
    LogWatch log;
    std::string resources;

private:
    // Pictures with just a PNG header: enough for the toolkit to know their names and sizes.
    void makeResources() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelvo-components-XXXXXX").string();
        resources = ::mkdtemp(pattern.data()) ? pattern : std::string();
        for (const char* name : {"back@2x.png", "loadFail@2x.png", "nullData@2x.png"}) {
            std::ofstream out(std::filesystem::path(resources) / name, std::ios::binary);
            const std::uint8_t header[24] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                             'I',  'H', 'D', 'R', 0,    0,    0,    40,   0, 0, 0, 40};
            out.write(reinterpret_cast<const char*>(header), sizeof header);
        }
        platform::Image::setResourcePath(resources);
    }
};

}  // namespace qelvo::test
