#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

// The full-screen surface of the movie player: a black picture area with the file's
// name, the elapsed and total time, an error line when the file cannot be played, and
// the "完成" control that closes the player. The device listing shows it as one
// "movie" entry named after the file, so a person (or a test) sees what plays.
class MoviePlayerView : public View {
public:
    static constexpr const char* kDoneTitle = "完成";

    explicit MoviePlayerView(Rect frame = Rect{});
    std::string className() const override { return "MoviePlayerView"; }

    const std::shared_ptr<Button>& doneButton() const { return doneButton_; }
    const std::shared_ptr<Label>& nameLabel() const { return nameLabel_; }
    const std::shared_ptr<Label>& timeLabel() const { return timeLabel_; }
    const std::shared_ptr<Label>& errorLabel() const { return errorLabel_; }

    // What the surface shows: the file, whether it plays, how far it is, and the error
    // (nothing hides the error line).
    void showFile(const std::string& fileName);
    void showProgress(double elapsed, double duration, bool playing);
    void showError(const std::optional<std::string>& error);

    bool isShowingPlayback() const { return playing_; }
    double elapsed() const { return elapsed_; }
    double duration() const { return duration_; }

    void layoutSubviews() override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

    // "mm:ss" of whole seconds (hours add to the minutes).
    static std::string clockText(double seconds);

private:
    std::shared_ptr<Button> doneButton_;
    std::shared_ptr<Label> nameLabel_;
    std::shared_ptr<Label> timeLabel_;
    std::shared_ptr<Label> errorLabel_;
    std::string fileName_;
    double elapsed_ = 0;
    double duration_ = 0;
    bool playing_ = false;
};

}  // namespace platform
