#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

#include <memory>
#include <string>

class FileModel;

// A row of the downloads screen: the video's name, its size and progress, and the
// button that pauses, resumes or plays it.
class DownCell : public platform::TableViewCell {
public:
    static constexpr double kHeight = 70;

    explicit DownCell(std::string reuseIdentifier);
    // A new cell from its interface description.
    static std::shared_ptr<DownCell> create(std::string reuseIdentifier);
    std::string className() const override { return "DownCell"; }

    std::shared_ptr<FileModel> fileInfo;
    std::shared_ptr<platform::Button> operateButton;
    std::shared_ptr<platform::Label> namelabel;
    std::shared_ptr<platform::Label> introLabel;

    // Shows a finished record: its name and "<size>  (100%)".
    void showFinished(const std::shared_ptr<FileModel>& record);
    // Shows an unfinished record: its name, its progress and the caption of its state.
    void showUnfinished(const std::shared_ptr<FileModel>& record);

    // "<size>  (100%)" of the record's total size.
    static std::string finishedText(const FileModel& record);
    // "(0MB/0MB) 0%" while the total is below one megabyte, else
    // "<received>/<total> (<percent>%)", the percentage capped at 100 (the received
    // text then shows the total).
    static std::string progressText(const FileModel& record);
    // "暂停" while downloading, "等待" while waiting, else "下载".
    static std::string operateCaption(const FileModel& record);

    // The delete confirmation is never covered by the row's own views.
    void layoutSubviews() override;
};
