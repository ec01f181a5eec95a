#pragma once

#include "platform/foundation/Clock.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The blocking progress overlay: a transparent layer as large as its host view with
// a translucent rounded box in the middle holding a large white spinner and a label.
// While visible it takes every touch meant for the host view below it; hidden it is
// alpha 0, stays attached and takes none, and can be shown again.
class ProgressHUD : public platform::View {
public:
    static constexpr double kAnimationDuration = 0.30;
    static constexpr double kMargin = 20;
    static constexpr double kPadding = 4;
    static constexpr double kIndicatorSize = 37;
    static constexpr double kCornerRadius = 10;
    static constexpr double kBoxOpacity = 0.8;
    static constexpr double kLabelFontSize = 16;
    static constexpr double kDetailsLabelFontSize = 12;

    // Covers the host view's bounds; hidden until shown. The caller adds it to the host.
    explicit ProgressHUD(const platform::View& host);
    // The same over a rectangle (an overlay made before its host exists).
    explicit ProgressHUD(platform::Rect frame);
    std::string className() const override { return "ProgressHUD"; }

    const std::string& labelText() const { return labelText_; }
    void setLabelText(std::string text);

    void show(bool animated);
    void hide(bool animated);
    // The last hide has ended (its fade is over) and no show came after it.
    bool isFinished() const { return finished_; }
    // When the last show began, on the main loop's clock.
    platform::Clock::TimePoint showStarted() const { return showStarted_; }
    // Told when a hide has ended.
    void setWasHiddenHandler(std::function<void(ProgressHUD&)> handler) { wasHidden_ = std::move(handler); }

    // The rounded box and its parts, laid out in the overlay's coordinates.
    std::shared_ptr<platform::View> box() const { return box_; }
    std::shared_ptr<platform::ActivityIndicatorView> indicator() const { return indicator_; }
    std::shared_ptr<platform::Label> label() const { return label_; }

    void layoutSubviews() override;
    void touchesBegan(const platform::Touch& touch) override;
    void touchesMoved(const platform::Touch& touch) override;
    void touchesEnded(const platform::Touch& touch) override;
    void touchesCancelled(const platform::Touch& touch) override;
    void describe(platform::Value& node) const override;

    // The front-most overlay a person can see in the tree below `root`, or nothing.
    static std::shared_ptr<ProgressHUD> frontMostVisible(platform::View& root);
    // The label of the front-most visible overlay in any window (later windows are in
    // front of earlier ones), or nothing when none shows.
    static std::optional<std::string> visibleLabelText();

protected:
    void didMoveToSuperview() override;

private:
    void setUp();
    void layoutBox();
    void finishHiding();

    std::string labelText_;
    std::shared_ptr<platform::View> box_;
    std::shared_ptr<platform::ActivityIndicatorView> indicator_;
    std::shared_ptr<platform::Label> label_;
    platform::Clock::TimePoint showStarted_{};
    bool finished_ = false;
    // Counts shows and hides, so that a fade that ends after a later show hides nothing.
    unsigned transitions_ = 0;
    std::function<void(ProgressHUD&)> wasHidden_;
};
