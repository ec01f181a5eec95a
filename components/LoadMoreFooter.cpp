#include "components/LoadMoreFooter.h"

LoadMoreFooter::LoadMoreFooter(std::function<void()> loadMore)
    : View(platform::Rect::make(0, 0, kWidth, kHeight)) {
    setBackgroundColor(platform::Color::clear());

    button_ = platform::View::create<platform::Button>(platform::Rect::make(0, 0, kWidth, kHeight));
    button_->setTitle(std::string(kTitle), platform::ControlStateNormal);
    button_->setTitleColor(platform::Color::black(), platform::ControlStateNormal);
    button_->titleLabel()->setFont(platform::Font::systemFont(16));
    addSubview(button_);

    indicator_ =
        platform::View::create<platform::ActivityIndicatorView>(platform::ActivityIndicatorStyle::Gray);
    indicator_->setFrame(platform::Rect::make(70, 15, 20, 20));
    indicator_->setCenter(platform::Point{80, 25});
    indicator_->setTag(kIndicatorTag);
    indicator_->setHidesWhenStopped(true);
    addSubview(indicator_);

    // The footer belongs to its list, which the screen owns; the action may hold the
    // indicator but must not hold the footer itself.
    std::weak_ptr<platform::ActivityIndicatorView> spinner = indicator_;
    button_->addAction(
        [spinner, loadMore = std::move(loadMore)](platform::Control&) {
            if (auto strong = spinner.lock()) {
                strong->startAnimating();
            }
            if (loadMore) {
                loadMore();
            }
        },
        platform::TouchUpInside);
}

void LoadMoreFooter::setUnder(platform::TableView& list, bool hasNext, std::function<void()> loadMore) {
    if (hasNext) {
        list.setTableFooterView(platform::View::create<LoadMoreFooter>(std::move(loadMore)));
    } else {
        list.setTableFooterView(nullptr);
    }
}

std::shared_ptr<platform::ActivityIndicatorView> LoadMoreFooter::indicatorOf(platform::TableView& list) {
    const auto& footer = list.tableFooterView();
    if (!footer) {
        return nullptr;
    }
    return std::dynamic_pointer_cast<platform::ActivityIndicatorView>(footer->viewWithTag(kIndicatorTag));
}

void LoadMoreFooter::startIndicator(platform::TableView& list) {
    if (auto indicator = indicatorOf(list)) {
        indicator->startAnimating();
    }
}

void LoadMoreFooter::stopIndicator(platform::TableView& list) {
    auto indicator = indicatorOf(list);
    if (indicator && indicator->isAnimating()) {
        indicator->stopAnimating();
    }
}
