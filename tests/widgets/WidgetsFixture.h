#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/image/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/Window.h"
#include "tests/support/PlatformState.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace qelvo::test {

// A phone-sized key window on a manual clock, a container of its own (the preference
// store included) and the app's pictures; the shared platform state is put back afterwards.
class WidgetsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::shared().setEcho(false);
        qelvo::test::PlatformState::reset();
        container = std::make_unique<TempContainer>();
        clock = std::make_shared<platform::ManualClock>();
        platform::RunLoop::main().setClock(clock);
        clock->advance(1.0);
        platform::Image::setResourcePath(std::string(QELVO_SOURCE_DIR) + "/resources");
        window = platform::View::create<platform::Window>(platform::Rect::make(0, 0, 320, 568));
        window->makeKeyAndVisible();
    }

    void TearDown() override {
        window.reset();
        qelvo::test::PlatformState::reset();
        platform::Image::setResourcePath("");
        container.reset();
    }

    static std::optional<std::string> preference(const std::string& key) {
        return platform::UserDefaults::standard().stringForKey(key);
    }

    std::unique_ptr<TempContainer> container;
    std::shared_ptr<platform::ManualClock> clock;
    std::shared_ptr<platform::Window> window;
};

// A list of `rows` plain rows of 44 points.
class PlainRows : public platform::TableViewDataSource {
public:
    explicit PlainRows(int rowCount) : rows(rowCount) {}
    int numberOfRowsInSection(platform::TableView&, int) override { return rows; }
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& table,
                                                                   const platform::IndexPath& path) override {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell) {
            cell = platform::View::create<platform::TableViewCell>(platform::CellStyle::Default, "row");
            ++created;
        }
        cell->textLabel()->setText("Row " + std::to_string(path.row));
        return cell;
    }
    int rows;
    int created = 0;
};

}  // namespace qelvo::test
