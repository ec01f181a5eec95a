#include "platform/media/MoviePlayerView.h"

#include "platform/foundation/Json.h"

#include <fmt/format.h>

#include <cmath>

namespace platform {
namespace {

constexpr double kMargin = 10;
constexpr double kBarHeight = 44;
constexpr double kDoneWidth = 60;

std::shared_ptr<Label> makeLabel(Font font, TextAlignment alignment) {
    auto label = View::create<Label>();
    label->setBackgroundColor(Color::clear());
    label->setTextColor(Color::white());
    label->setFont(font);
    label->setTextAlignment(alignment);
    return label;
}

}  // namespace

MoviePlayerView::MoviePlayerView(Rect frame) : View(frame) {
    setBackgroundColor(Color::black());
    setAutoresizingMask(FlexibleWidth | FlexibleHeight);

    doneButton_ = View::create<Button>();
    doneButton_->setTitle(std::string(kDoneTitle), ControlStateNormal);
    doneButton_->setTitleColor(Color::white(), ControlStateNormal);
    doneButton_->setBackgroundColor(Color::white(0.25));
    doneButton_->setCornerRadius(4);
    addSubview(doneButton_);

    nameLabel_ = makeLabel(Font::boldSystemFont(15), TextAlignment::Center);
    addSubview(nameLabel_);
    timeLabel_ = makeLabel(Font::systemFont(13), TextAlignment::Center);
    addSubview(timeLabel_);
    errorLabel_ = makeLabel(Font::systemFont(15), TextAlignment::Center);
    errorLabel_->setNumberOfLines(0);
    errorLabel_->setHidden(true);
    addSubview(errorLabel_);
    showProgress(0, 0, false);
}

void MoviePlayerView::layoutSubviews() {
    double width = bounds().width();
    double height = bounds().height();
    doneButton_->setFrame(Rect::make(kMargin, kMargin, kDoneWidth, kBarHeight - kMargin));
    double nameLeft = kMargin * 2 + kDoneWidth;
    nameLabel_->setFrame(
        Rect::make(nameLeft, kMargin, std::max(0.0, width - 2 * nameLeft), kBarHeight - kMargin));
    timeLabel_->setFrame(
        Rect::make(kMargin, height - kBarHeight, std::max(0.0, width - 2 * kMargin), kBarHeight - kMargin));
    errorLabel_->setFrame(
        Rect::make(kMargin, height / 2 - kBarHeight, std::max(0.0, width - 2 * kMargin), 2 * kBarHeight));
}

void MoviePlayerView::showFile(const std::string& fileName) {
    fileName_ = fileName;
    nameLabel_->setText(fileName);
}

void MoviePlayerView::showProgress(double elapsed, double duration, bool playing) {
    elapsed_ = elapsed;
    duration_ = duration;
    playing_ = playing;
    timeLabel_->setText(clockText(elapsed) + " / " + clockText(duration));
}

void MoviePlayerView::showError(const std::optional<std::string>& error) {
    errorLabel_->setText(error.value_or(""));
    errorLabel_->setHidden(!error.has_value());
}

std::string MoviePlayerView::clockText(double seconds) {
    auto whole = static_cast<long long>(std::floor(std::max(0.0, seconds)));
    return fmt::format("{:02d}:{:02d}", whole / 60, whole % 60);
}

Value MoviePlayerView::screenEntry() const {
    return Value{{"kind", "movie"},
                 {"text", fileName_},
                 {"playing", playing_},
                 {"time", elapsed_},
                 {"duration", duration_}};
}

void MoviePlayerView::describe(Value& node) const {
    View::describe(node);
    node["file"] = fileName_;
    node["playing"] = playing_;
    node["time"] = elapsed_;
    node["duration"] = duration_;
}

}  // namespace platform
