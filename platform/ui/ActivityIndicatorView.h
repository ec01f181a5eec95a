#pragma once

#include "platform/ui/View.h"

namespace platform {

enum class ActivityIndicatorStyle { WhiteLarge, White, Gray };

// A spinner. By default it hides while stopped.
class ActivityIndicatorView : public View {
public:
    explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::White);
    std::string className() const override { return "ActivityIndicatorView"; }

    ActivityIndicatorStyle style() const { return style_; }
    void setStyle(ActivityIndicatorStyle style) { style_ = style; }
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);
    Color color() const;

    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    ActivityIndicatorStyle style_;
    bool animating_ = false;
    bool hidesWhenStopped_ = true;
};

}  // namespace platform
