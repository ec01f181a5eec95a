#pragma once

#include "platform/ui/Control.h"

#include <optional>

namespace platform {

// A row of dots, one per page, the current one marked. A tap on its left half moves
// one page back, on its right half one page on, and sends ValueChanged.
class PageControl : public Control {
public:
    static constexpr double kDotSpacing = 16;
    static constexpr double kHeight = 37;

    explicit PageControl(Rect frame = Rect{});
    std::string className() const override { return "PageControl"; }

    int numberOfPages() const { return numberOfPages_; }
    void setNumberOfPages(int pages);
    // Always within the pages (0 when there are none).
    int currentPage() const { return currentPage_; }
    void setCurrentPage(int page);
    bool hidesForSinglePage() const { return hidesForSinglePage_; }
    void setHidesForSinglePage(bool hides) { hidesForSinglePage_ = hides; }
    std::optional<Color> pageIndicatorTintColor() const { return pageIndicatorTintColor_; }
    void setPageIndicatorTintColor(std::optional<Color> color) { pageIndicatorTintColor_ = color; }
    std::optional<Color> currentPageIndicatorTintColor() const { return currentPageIndicatorTintColor_; }
    void setCurrentPageIndicatorTintColor(std::optional<Color> color) {
        currentPageIndicatorTintColor_ = color;
    }
    // When set, a tap changes currentPage but the dots keep showing the old page
    // until updateCurrentPageDisplay.
    bool defersCurrentPageDisplay() const { return defersCurrentPageDisplay_; }
    void setDefersCurrentPageDisplay(bool defers) { defersCurrentPageDisplay_ = defers; }
    void updateCurrentPageDisplay() { displayedPage_ = currentPage_; }
    // The page the dots mark now.
    int displayedPage() const { return displayedPage_; }
    // Nothing shows: a single page (or none) with hidesForSinglePage.
    bool isHiddenForSinglePage() const { return hidesForSinglePage_ && numberOfPages_ <= 1; }

    static Size sizeForNumberOfPages(int pages);

    std::shared_ptr<View> hitTest(Point point) override;
    void touchesEnded(const Touch& touch) override;
    Size sizeThatFits(Size size) const override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    int numberOfPages_ = 0;
    int currentPage_ = 0;
    int displayedPage_ = 0;
    bool hidesForSinglePage_ = false;
    std::optional<Color> pageIndicatorTintColor_;
    std::optional<Color> currentPageIndicatorTintColor_;
    bool defersCurrentPageDisplay_ = false;
};

}  // namespace platform
