#pragma once

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>

// The "加载更多" strip under a paged list: a button over its whole area and a small
// spinner (tag 5000) that turns while the next page is on its way.
class LoadMoreFooter : public platform::View {
public:
    static constexpr int kIndicatorTag = 5000;
    static constexpr double kWidth = 320;
    static constexpr double kHeight = 50;
    static constexpr const char* kTitle = "加载更多";

    explicit LoadMoreFooter(std::function<void()> loadMore);

    // Puts a footer under the list when there is a next page, else removes the list's footer.
    static void setUnder(platform::TableView& list, bool hasNext, std::function<void()> loadMore);
    static void startIndicator(platform::TableView& list);
    // Only when it is spinning.
    static void stopIndicator(platform::TableView& list);

    const std::shared_ptr<platform::Button>& button() const { return button_; }
    const std::shared_ptr<platform::ActivityIndicatorView>& indicator() const { return indicator_; }

private:
    static std::shared_ptr<platform::ActivityIndicatorView> indicatorOf(platform::TableView& list);

    std::shared_ptr<platform::Button> button_;
    std::shared_ptr<platform::ActivityIndicatorView> indicator_;
};
