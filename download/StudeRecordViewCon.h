#pragma once

#include "download/DownloadDelegate.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <string>
#include <vector>

class FileModel;
class FilesDownManage;
class HTTPRequest;

// The downloads screen, "课程下载": the unfinished downloads with their progress and a
// button to pause, resume or promote each, and the finished ones, which play when
// tapped. Both lists are the engine's own, so a reload always shows the engine's
// state; the screen is the engine's delegate and redraws a row when it reports.
class StudeRecordViewCon : public BaseViewCon,
                           public platform::TableViewDataSource,
                           public platform::TableViewEditingDataSource,
                           public platform::TableViewDelegate,
                           public DownloadDelegate {
public:
    static constexpr double kRowHeight = 70;
    static constexpr int kUnfinishedTagBase = 1000;
    static constexpr int kFinishedTagBase = 5000;
    static constexpr double kQuarterTurn = 1.5707964;
    static constexpr const char* kTitle = "课程下载";
    static constexpr const char* kEditCaption = "编辑";
    static constexpr const char* kDoneCaption = "完成";
    static constexpr const char* kUnfinishedCaption = "下载中";
    static constexpr const char* kFinishedCaption = "已下载";
    static constexpr const char* kFinishCellIdentifier = "finishCell";
    static constexpr const char* kDownCellIdentifier = "downCell";

    explicit StudeRecordViewCon(std::string nibName = "StudeRecordViewCon");
    std::string className() const override { return "StudeRecordViewCon"; }

    // The engine the screen shows and drives; the shared engine unless one is set
    // before the view loads.
    void setDownManage(std::shared_ptr<FilesDownManage> engine);
    std::shared_ptr<FilesDownManage> downManage() const;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void back(platform::Control* sender) override;

    void topButtonClicke(platform::Control& sender);
    void editFavor(platform::Control& sender);
    void vedioOperation(platform::Control& sender);
    void vedioPlay(platform::Control& sender);
    // Redraws the visible unfinished rows of that record.
    void updateCellOnMainThread(const std::shared_ptr<FileModel>& record);

    // What the engine reports. A progress report from another thread is handled on the
    // main thread, and the report waits for it.
    void updateCellProgress(HTTPRequest& request) override;
    void finishedDownload(HTTPRequest& request) override;
    void startDownload(HTTPRequest& request);

    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    void commitEditingStyle(platform::TableView& tableView, platform::CellEditingStyle style,
                            const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;
    std::optional<std::string> titleForDeleteConfirmationButtonForRowAtIndexPath(
        platform::TableView& tableView, const platform::IndexPath& path) override;

    const std::shared_ptr<platform::Button>& editButton() const { return _editBtn; }
    const std::shared_ptr<platform::TableView>& unfinishedTable() const { return _listTableVDonw; }
    const std::shared_ptr<platform::TableView>& finishedTable() const { return _listTableViewFinish; }
    const std::shared_ptr<platform::Button>& finishedButton() const { return downBtn; }
    const std::shared_ptr<platform::Button>& unfinishedButton() const { return unFinishBtn; }
    const std::shared_ptr<platform::Label>& diskSpaceLabel() const { return diskLabel; }

private:
    // The interface description: the top buttons, the disk label and the two lists.
    void buildInterface();
    void reloadUnfinished();
    void reloadFinished();
    void playFinished(std::size_t index);

    std::shared_ptr<platform::Button> _editBtn;
    std::shared_ptr<platform::TableView> _listTableVDonw;
    std::shared_ptr<platform::TableView> _listTableViewFinish;
    std::shared_ptr<platform::Button> downBtn;
    std::shared_ptr<platform::Button> unFinishBtn;
    std::shared_ptr<platform::Label> diskLabel;
    std::shared_ptr<FilesDownManage> _engine;
    // The engine's lists themselves (not copies), taken again at every reload.
    std::vector<std::shared_ptr<HTTPRequest>>* downLoadList = nullptr;
    std::vector<std::shared_ptr<FileModel>>* FinishList = nullptr;
};
