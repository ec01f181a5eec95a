// Scrolling a 1,000-row list from its first row to its last through the toolkit's
// own drag, as a finger would. Reports how many cells the list made (reuse must
// keep that to the rows that fit on the screen plus two, whatever the row count)
// and the time per row scrolled, next to a 10-row list scrolled the same way in
// the same run, so the ratio shows whether the cost per row grows with the list. A
// 100-row list of the screen's height separates the list's length from its height.

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kRepetitions = 30;
const double kStep = 8;  // points the finger moves between two reports

class Rows : public platform::TableViewDataSource {
public:
    explicit Rows(int count) : count_(count) {}
    int numberOfRowsInSection(platform::TableView&, int) override { return count_; }
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& table,
                                                                   const platform::IndexPath& path) override {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell) {
            cell = platform::View::create<platform::TableViewCell>(platform::CellStyle::Subtitle, "row");
            ++created;
        }
        cell->textLabel()->setText(fmt::format("第{}讲 小微企业税收优惠政策解读", path.row + 1));
        cell->detailTextLabel()->setText("三分钟读懂最新的税收优惠");
        ++configured;
        return cell;
    }
    int created = 0;
    int configured = 0;

private:
    int count_;
};

struct Run {
    double ms = 0;
    int created = 0;
    int configured = 0;
    double scrolled = 0;  // points
    bool reachedEnd = false;
};

// One list on a fresh window, dragged from the top to the bottom in small steps.
Run scrollThrough(int rowCount, double listHeight) {
    auto window = platform::View::create<platform::Window>(platform::Screen::bounds());
    window->makeKeyAndVisible();
    auto rows = std::make_shared<Rows>(rowCount);
    auto list = platform::View::create<platform::TableView>(platform::Rect::make(0, 0, 320, listHeight));
    list->setDataSource(rows);
    window->addSubview(list);
    list->reloadData();
    window->layoutIfNeeded();

    const double end = list->maximumContentOffset().y;
    Run run;
    const auto start = std::chrono::steady_clock::now();
    list->beginDragging(platform::Point{160, 300});
    double finger = 300;
    while (list->contentOffset().y < end) {
        finger -= kStep;
        list->dragTo(platform::Point{160, finger});
    }
    list->endDragging(platform::Point{0, 0});
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.created = rows->created;
    run.configured = rows->configured;
    run.scrolled = list->contentOffset().y;
    run.reachedEnd = list->contentOffset().y >= end;
    benchmark::DoNotOptimize(list->visibleCells().size());
    platform::Window::resetAll();
    platform::RunLoop::main().reset();
    return run;
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2.0;
}

}  // namespace

int main() {
    platform::Log::shared().setEcho(false);
    platform::RunLoop::main().adoptCurrentThread();
    platform::RunLoop::main().setClock(std::make_shared<platform::ManualClock>());

    const double screenHeight = platform::Screen::kHeight;
    const double rowHeight = platform::TableView::kDefaultRowHeight;
    // The reference list is half the screen high, so its 10 rows still scroll.
    const double referenceHeight = 220;
    const int limit = static_cast<int>(std::ceil(screenHeight / rowHeight)) + 2;

    std::vector<double> bigPerRow;
    std::vector<double> smallPerRow;
    std::vector<double> midPerRow;
    Run big;
    Run small;
    Run mid;
    for (int i = 0; i < kRepetitions; ++i) {
        big = scrollThrough(1000, screenHeight);
        small = scrollThrough(10, referenceHeight);
        mid = scrollThrough(100, screenHeight);
        // Per row that passed through the list's view.
        bigPerRow.push_back(big.ms * 1000.0 / (big.scrolled / rowHeight));
        smallPerRow.push_back(small.ms * 1000.0 / (small.scrolled / rowHeight));
        midPerRow.push_back(mid.ms * 1000.0 / (mid.scrolled / rowHeight));
    }

    fmt::print("table_scroll: rows=1000 list_height={} cells_created={} (limit {}) cells_configured={}\n",
               screenHeight, big.created, limit, big.configured);
    fmt::print("table_scroll: reference rows=10 list_height={} cells_created={}\n", referenceHeight,
               small.created);
    fmt::print("table_scroll: rows=100 list_height={} cells_created={} per_row_median_us={:.2f}\n",
               screenHeight, mid.created, median(midPerRow));
    const double bigUs = median(bigPerRow);
    const double smallUs = median(smallPerRow);
    fmt::print(
        "table_scroll: per_row_median_us={:.2f} reference_per_row_median_us={:.2f} ratio={:.2f} ({} runs, "
        "step {} points)\n",
        bigUs, smallUs, bigUs / smallUs, kRepetitions, kStep);

    if (!big.reachedEnd || !small.reachedEnd || !mid.reachedEnd) {
        fmt::print(stderr, "table_scroll: a list did not reach its last row\n");
        return 1;
    }
    if (big.created > limit) {
        fmt::print(stderr, "table_scroll: {} cells for {} rows on screen: cells are not reused\n",
                   big.created, limit);
        return 1;
    }
    return 0;
}
