#include "download/StudeRecordViewCon.h"

#include "Library/HTTPRequest/HTTPRequest.h"
#include "components/BrandColor.h"
#include "download/DownCell.h"
#include "download/FileModel.h"
#include "download/FilesDownManage.h"
#include "download/VideoPlayerViewController.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/ui/NavigationController.h"
#include "storage/CommonHelper.h"

namespace {

constexpr double kTopButtonHeight = 40;
constexpr double kDiskLabelHeight = 24;

}  // namespace

StudeRecordViewCon::StudeRecordViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void StudeRecordViewCon::setDownManage(std::shared_ptr<FilesDownManage> engine) {
    _engine = std::move(engine);
}

std::shared_ptr<FilesDownManage> StudeRecordViewCon::downManage() const {
    return _engine ? _engine : FilesDownManage::sharedFilesDownManage();
}

void StudeRecordViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    buildInterface();
    setBackStyle(kBackStyleBack);
    setNavigationTitle(kTitle);
    if (!_engine) {
        _engine = FilesDownManage::sharedFilesDownManage();
    }
    if (_engine) {
        _engine->setDownloadDelegate(platform::sharedSelf(this));
    }
}

void StudeRecordViewCon::buildInterface() {
    auto self = platform::sharedSelf(this);
    platform::Rect bounds = view()->bounds();
    double width = bounds.width();
    double top = navBarHeight();

    _editBtn = platform::View::create<platform::Button>(platform::Rect::make(width - 60, top - 37, 50, 30));
    _editBtn->setTitle(std::string(kEditCaption), platform::ControlStateNormal);
    _editBtn->setTitleColor(platform::Color::white(), platform::ControlStateNormal);
    _editBtn->titleLabel()->setFont(platform::Font::systemFont(15));
    _editBtn->setAutoresizingMask(platform::FlexibleLeftMargin);
    _editBtn->addTarget(self, &StudeRecordViewCon::editFavor, platform::TouchUpInside);
    baseNavView->addSubview(_editBtn);

    auto makeTopButton = [&](double x, const char* caption) {
        auto button = platform::View::create<platform::Button>(
            platform::Rect::make(x, top, width / 2, kTopButtonHeight));
        button->setTitle(std::string(caption), platform::ControlStateNormal);
        button->setTitleColor(platform::Color::white(0.4), platform::ControlStateNormal);
        button->setTitleColor(brandColor(), platform::ControlStateSelected);
        button->titleLabel()->setFont(platform::Font::boldSystemFont(15));
        button->setBackgroundColor(platform::Color::white(0.96));
        button->addTarget(self, &StudeRecordViewCon::topButtonClicke, platform::TouchUpInside);
        view()->addSubview(button);
        return button;
    };
    unFinishBtn = makeTopButton(0, kUnfinishedCaption);
    downBtn = makeTopButton(width / 2, kFinishedCaption);
    unFinishBtn->setSelected(true);

    double listTop = top + kTopButtonHeight;
    double listHeight = bounds.height() - listTop - kDiskLabelHeight;
    auto makeTable = [&]() {
        auto table =
            platform::View::create<platform::TableView>(platform::Rect::make(0, listTop, width, listHeight));
        table->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
        table->setRowHeight(kRowHeight);
        table->setBackgroundColor(platform::Color::white());
        table->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self));
        table->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self));
        view()->addSubview(table);
        return table;
    };
    _listTableVDonw = makeTable();
    _listTableViewFinish = makeTable();
    _listTableViewFinish->setHidden(true);

    diskLabel = platform::View::create<platform::Label>(
        platform::Rect::make(0, bounds.height() - kDiskLabelHeight, width, kDiskLabelHeight));
    diskLabel->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleTopMargin);
    diskLabel->setFont(platform::Font::systemFont(12));
    diskLabel->setTextColor(platform::Color::white(0.4));
    diskLabel->setTextAlignment(platform::TextAlignment::Center);
    diskLabel->setBackgroundColor(platform::Color::white(0.96));
    view()->addSubview(diskLabel);
}

void StudeRecordViewCon::viewWillAppear(bool animated) {
    BaseViewCon::viewWillAppear(animated);
    if (_engine) {
        // A download waiting for a free slot starts now.
        _engine->startLoad();
    }
    reloadUnfinished();
    reloadFinished();
    diskLabel->setText(CommonHelper::getDiskSpaceInfo().value_or(""));
}

void StudeRecordViewCon::viewWillDisappear(bool animated) {
    BaseViewCon::viewWillDisappear(animated);
    if (_engine) {
        _engine->saveFinishedFile();
    }
}

void StudeRecordViewCon::back(platform::Control* /*sender*/) {
    if (auto* navigation = navigationController()) {
        navigation->popViewControllerAnimated(true);
    }
}

void StudeRecordViewCon::topButtonClicke(platform::Control& sender) {
    bool finished = &sender == downBtn.get();
    downBtn->setSelected(finished);
    unFinishBtn->setSelected(!finished);
    _listTableVDonw->setHidden(finished);
    _listTableViewFinish->setHidden(!finished);
}

void StudeRecordViewCon::editFavor(platform::Control& /*sender*/) {
    bool start = _editBtn->currentTitle() == kEditCaption;
    _editBtn->setTitle(std::string(start ? kDoneCaption : kEditCaption), platform::ControlStateNormal);
    _listTableVDonw->setEditing(start, false);
    _listTableViewFinish->setEditing(start, false);
}

void StudeRecordViewCon::reloadUnfinished() {
    downLoadList = _engine ? &_engine->downinglist() : nullptr;
    _listTableVDonw->reloadData();
}

void StudeRecordViewCon::reloadFinished() {
    FinishList = _engine ? &_engine->finishedlist() : nullptr;
    _listTableViewFinish->reloadData();
}

void StudeRecordViewCon::vedioOperation(platform::Control& sender) {
    int index = sender.tag() - kUnfinishedTagBase;
    if (!_engine || !downLoadList || index < 0 || static_cast<std::size_t>(index) >= downLoadList->size()) {
        return;
    }
    // The engine may replace the request in its list; keep this one alive meanwhile.
    std::shared_ptr<HTTPRequest> request = (*downLoadList)[static_cast<std::size_t>(index)];
    auto record = request ? FilesDownManage::recordOf(*request) : nullptr;
    if (!record) {
        return;
    }
    auto* button = dynamic_cast<platform::Button*>(&sender);
    if (record->state() == FileModel::State::Downloading) {
        if (button) {
            button->setTitle(std::string("下载"), platform::ControlStateNormal);
        }
        _engine->stopRequest(*request);
    } else {
        if (button) {
            button->setTitle(std::string("暂停"), platform::ControlStateNormal);
        }
        _engine->resumeRequest(*request);
    }
    reloadUnfinished();
}

void StudeRecordViewCon::vedioPlay(platform::Control& sender) {
    int index = sender.tag() - kFinishedTagBase;
    if (index >= 0 && FinishList && static_cast<std::size_t>(index) < FinishList->size()) {
        playFinished(static_cast<std::size_t>(index));
    }
}

void StudeRecordViewCon::playFinished(std::size_t index) {
    if (!FinishList || index >= FinishList->size()) {
        return;
    }
    const auto& record = (*FinishList)[index];
    if (!record || !record->targetPath() || record->targetPath()->empty()) {
        return;
    }
    platform::logf("targetPath is: {}", *record->targetPath());
    auto player = std::make_shared<VideoPlayerViewController>("file://" + *record->targetPath());
    player->view()->setRotation(kQuarterTurn);
    presentViewController(player, true);
}

void StudeRecordViewCon::updateCellOnMainThread(const std::shared_ptr<FileModel>& record) {
    if (!record) {
        return;
    }
    for (const auto& cell : _listTableVDonw->visibleCells()) {
        auto row = std::dynamic_pointer_cast<DownCell>(cell);
        if (row && row->fileInfo && row->fileInfo->fileURL() == record->fileURL() &&
            row->fileInfo->fileName() == record->fileName()) {
            row->showUnfinished(record);
        }
    }
}

void StudeRecordViewCon::updateCellProgress(HTTPRequest& request) {
    auto record = FilesDownManage::recordOf(request);
    std::weak_ptr<platform::ViewController> weak = weak_from_this();
    platform::RunLoop::main().postAndWait([weak, record] {
        if (auto self = weak.lock()) {
            static_cast<StudeRecordViewCon&>(*self).updateCellOnMainThread(record);
        }
    });
}

void StudeRecordViewCon::finishedDownload(HTTPRequest& /*request*/) {
    reloadUnfinished();
    reloadFinished();
}

void StudeRecordViewCon::startDownload(HTTPRequest& /*request*/) {
    platform::log("-------开始下载!");
}

int StudeRecordViewCon::numberOfRowsInSection(platform::TableView& tableView, int /*section*/) {
    if (&tableView == _listTableViewFinish.get()) {
        return FinishList ? static_cast<int>(FinishList->size()) : 0;
    }
    return downLoadList ? static_cast<int>(downLoadList->size()) : 0;
}

std::shared_ptr<platform::TableViewCell> StudeRecordViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    auto self = platform::sharedSelf(this);
    bool finished = &tableView == _listTableViewFinish.get();
    const char* identifier = finished ? kFinishCellIdentifier : kDownCellIdentifier;
    auto cell = tableView.dequeueReusableCell<DownCell>(identifier);
    if (!cell) {
        cell = DownCell::create(identifier);
    }
    cell->operateButton->removeTarget(nullptr);
    auto row = static_cast<std::size_t>(path.row);
    if (finished) {
        cell->showFinished(FinishList && row < FinishList->size() ? (*FinishList)[row] : nullptr);
        cell->operateButton->setHidden(true);
        cell->operateButton->setTitle(std::string("播放"), platform::ControlStateNormal);
        cell->operateButton->setTag(path.row + kFinishedTagBase);
        cell->operateButton->addTarget(self, &StudeRecordViewCon::vedioPlay, platform::TouchUpInside);
        cell->setSelectionStyle(platform::CellSelectionStyle::None);
    } else {
        std::shared_ptr<FileModel> record;
        if (downLoadList && row < downLoadList->size() && (*downLoadList)[row]) {
            record = FilesDownManage::recordOf(*(*downLoadList)[row]);
        }
        cell->showUnfinished(record);
        cell->setSelectionStyle(platform::CellSelectionStyle::Blue);
        cell->operateButton->setHidden(false);
        cell->operateButton->setTag(path.row + kUnfinishedTagBase);
        cell->operateButton->addTarget(self, &StudeRecordViewCon::vedioOperation, platform::TouchUpInside);
    }
    return cell;
}

void StudeRecordViewCon::commitEditingStyle(platform::TableView& tableView, platform::CellEditingStyle style,
                                            const platform::IndexPath& path) {
    if (style != platform::CellEditingStyle::Delete || !_engine || path.row < 0) {
        return;
    }
    auto row = static_cast<std::size_t>(path.row);
    if (&tableView == _listTableViewFinish.get()) {
        if (FinishList && row < FinishList->size()) {
            // Copied: the engine removes it from the list it points into.
            std::shared_ptr<FileModel> record = (*FinishList)[row];
            _engine->deleteFinishFile(record);
        }
        reloadFinished();
        return;
    }
    if (downLoadList && row < downLoadList->size()) {
        std::shared_ptr<HTTPRequest> request = (*downLoadList)[row];
        if (request) {
            _engine->deleteRequest(*request);
        }
    }
    reloadUnfinished();
}

std::optional<double> StudeRecordViewCon::heightForRowAtIndexPath(platform::TableView& /*tableView*/,
                                                                  const platform::IndexPath& /*path*/) {
    return kRowHeight;
}

void StudeRecordViewCon::didSelectRowAtIndexPath(platform::TableView& tableView,
                                                 const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
    if (&tableView == _listTableViewFinish.get()) {
        playFinished(static_cast<std::size_t>(path.row));
    }
}

std::optional<std::string> StudeRecordViewCon::titleForDeleteConfirmationButtonForRowAtIndexPath(
    platform::TableView& /*tableView*/, const platform::IndexPath& /*path*/) {
    return std::string(platform::TableViewCell::kDeleteTitle);
}
