#pragma once

// The main-loop fixture, a recording scroll delegate and a table data source shared
// by the scroll view, table view and page control tests.

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qelvo::testing {

using platform::IndexPath;
using platform::Point;
using platform::Rect;
using platform::Size;

// Every case runs on a main loop with a manual clock, and leaves nothing behind.
class UiScrollTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::main().adoptCurrentThread();
        clock = std::make_shared<platform::ManualClock>();
        platform::RunLoop::main().setClock(clock);
    }
    void TearDown() override {
        platform::Window::resetAll();
        platform::RunLoop::main().reset();
    }
    // A window of the phone's size holding `view` at its frame.
    std::shared_ptr<platform::Window> windowWith(const std::shared_ptr<platform::View>& view) {
        auto window = platform::View::create<platform::Window>(Rect::make(0, 0, 320, 568));
        window->addSubview(view);
        window->layoutIfNeeded();
        return window;
    }
    std::shared_ptr<platform::ManualClock> clock;
};

// Writes down what a scroll view tells its delegate, with the offset and the
// dragging and decelerating flags at the time of each call. `Base` is the delegate
// interface it implements (a table delegate records the same way).
template <typename Base = platform::ScrollViewDelegate>
class Recording : public Base {
public:
    void scrollViewDidScroll(platform::ScrollView& view) override {
        Point offset = view.contentOffset();
        log.push_back("scroll " + number(offset.x) + "," + number(offset.y) +
                      (view.isDragging() ? " dragging" : "") +
                      (view.isDecelerating() ? " decelerating" : ""));
    }
    void scrollViewWillBeginDragging(platform::ScrollView&) override {
        log.emplace_back("willBeginDragging");
    }
    void scrollViewDidEndDragging(platform::ScrollView& view, bool willDecelerate) override {
        log.push_back(std::string("didEndDragging ") + (willDecelerate ? "decelerate" : "stop") +
                      (view.isDragging() ? " dragging" : ""));
        if (onEndDragging) {
            onEndDragging(view);
        }
    }
    void scrollViewWillBeginDecelerating(platform::ScrollView&) override {
        log.emplace_back("willBeginDecelerating");
    }
    void scrollViewDidEndDecelerating(platform::ScrollView& view) override {
        log.push_back(std::string("didEndDecelerating") + (view.isDecelerating() ? " decelerating" : ""));
    }
    void scrollViewDidEndScrollingAnimation(platform::ScrollView&) override {
        log.emplace_back("didEndScrollingAnimation");
    }

    static std::string number(double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
        return text;
    }

    std::vector<std::string> log;
    std::function<void(platform::ScrollView&)> onEndDragging;
};

using RecordingScrollDelegate = Recording<>;

// A table of `rows[s]` rows per section whose cells show "Row s.r" and are reused
// under "row"; counts what it makes and writes down what the table tells it.
class RowsSource : public platform::TableViewDataSource, public Recording<platform::TableViewDelegate> {
public:
    explicit RowsSource(std::vector<int> rowsPerSection) : rows(std::move(rowsPerSection)) {}

    int numberOfSectionsInTableView(platform::TableView&) override { return static_cast<int>(rows.size()); }
    int numberOfRowsInSection(platform::TableView&, int section) override {
        return rows[static_cast<std::size_t>(section)];
    }
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& table,
                                                                   const IndexPath& path) override {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (cell) {
            reused.push_back(cell.get());
        } else {
            cell = makeCell
                       ? makeCell()
                       : platform::View::create<platform::TableViewCell>(platform::CellStyle::Default, "row");
            ++created;
        }
        cell->textLabel()->setText("Row " + std::to_string(path.section) + "." + std::to_string(path.row));
        if (configure) {
            configure(*cell, path);
        }
        return cell;
    }
    void didSelectRowAtIndexPath(platform::TableView&, const IndexPath& path) override {
        events.push_back("select " + std::to_string(path.section) + "." + std::to_string(path.row));
    }
    void didDeselectRowAtIndexPath(platform::TableView&, const IndexPath& path) override {
        events.push_back("deselect " + std::to_string(path.section) + "." + std::to_string(path.row));
    }

    std::vector<int> rows;
    int created = 0;
    std::vector<const platform::TableViewCell*> reused;
    std::vector<std::string> events;
    std::function<void(platform::TableViewCell&, const IndexPath&)> configure;
    std::function<std::shared_ptr<platform::TableViewCell>()> makeCell;
};

// The same rows, deletable: commits are written down.
class DeletableRowsSource : public RowsSource, public platform::TableViewEditingDataSource {
public:
    using RowsSource::RowsSource;

    void commitEditingStyle(platform::TableView&, platform::CellEditingStyle style,
                            const IndexPath& path) override {
        commits.push_back(std::to_string(static_cast<int>(style)) + " " + std::to_string(path.section) + "." +
                          std::to_string(path.row));
    }
    bool canEditRowAtIndexPath(platform::TableView&, const IndexPath& path) override {
        return path.row != lockedRow;
    }

    std::vector<std::string> commits;
    int lockedRow = -1;
};

// A table of the given size wired to `source` (as data source and delegate), loaded.
inline std::shared_ptr<platform::TableView> makeTable(
    const std::shared_ptr<RowsSource>& source, Rect frame,
    platform::TableViewStyle style = platform::TableViewStyle::Plain) {
    auto table = platform::View::create<platform::TableView>(frame, style);
    table->setDataSource(source);
    table->setDelegate(source);
    table->reloadData();
    return table;
}

}  // namespace qelvo::testing
