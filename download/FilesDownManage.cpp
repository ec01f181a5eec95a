#include "download/FilesDownManage.h"

#include "Library/HTTPRequest/HTTPRequest.h"
#include "Library/HTTPRequest/HTTPResponseHeaders.h"
#include "components/Toast.h"
#include "download/DownloadRecordStore.h"
#include "netutil/ALNetwork.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "storage/CommonHelper.h"

#include <algorithm>
#include <any>
#include <cctype>
#include <utility>

using platform::FileSystem;
using platform::Json;
using platform::Value;

namespace {

// The extension of the finished file when the video's address has none: the one a record read
// back at the next launch names, so the video is known by the same file before and after.
constexpr const char* kDefaultVideoExtension = "mp4";

std::shared_ptr<FilesDownManage>& sharedEngine() {
    static std::shared_ptr<FilesDownManage> engine;
    return engine;
}

FilesDownManage::Environment& sharedEnvironment() {
    static FilesDownManage::Environment environment;
    return environment;
}

// "%@" of an optional text.
std::string describe(const FileModel::Text& text) {
    return text ? *text : std::string("(null)");
}

// The path extension of a URL's path, query and fragment left out.
std::string urlPathExtension(const std::string& url) {
    std::string path = url.substr(0, url.find_first_of("?#"));
    const auto scheme = path.find("://");
    if (scheme != std::string::npos) {
        const auto slash = path.find('/', scheme + 3);
        path = slash == std::string::npos ? std::string() : path.substr(slash);
    }
    return FileSystem::pathExtension(FileSystem::lastPathComponent(path));
}

void removeLogged(const std::string& path) {
    if (FileSystem::exists(path) && !FileSystem::remove(path)) {
        platform::logf("{}", "Failed to delete file at path '" + path + "'");
    }
}

}  // namespace

std::shared_ptr<FilesDownManage> FilesDownManage::sharedFilesDownManage() {
    platform::assertMainThread();
    if (sharedEngine()) {
        return sharedEngine();
    }
    // The launch sequence creates the engine first; anything earlier gets the
    // application's own folders.
    return sharedFilesDownManageWithBasepath("DownLoad", {"DownLoad/mp4"});
}

std::shared_ptr<FilesDownManage> FilesDownManage::sharedFilesDownManageWithBasepath(
    const std::string& basepath, const std::vector<std::string>& targetPathArr) {
    platform::assertMainThread();
    auto& engine = sharedEngine();
    if (!engine) {
        engine = create(basepath, targetPathArr, sharedEnvironment());
    } else if (engine->basepath_ != basepath) {
        engine->cleanLastInfo();
        engine->basepath_ = basepath;
        engine->loadTempfiles();
        engine->loadFinishedfiles();
    }
    engine->basepath_ = basepath;
    engine->targetPathArray_ = targetPathArr;
    return engine;
}

void FilesDownManage::setSharedEnvironment(Environment environment) {
    platform::assertMainThread();
    sharedEnvironment() = std::move(environment);
}

std::shared_ptr<FilesDownManage> FilesDownManage::create(std::string basepath,
                                                         std::vector<std::string> targetPathArr,
                                                         Environment environment) {
    auto engine = std::make_shared<FilesDownManage>(std::move(basepath), std::move(targetPathArr),
                                                    std::move(environment));
    auto& defaults = platform::UserDefaults::standard();
    if (!defaults.objectForKey(kMaxRequestCountKey)) {
        defaults.setObject("1", kMaxRequestCountKey);
        defaults.synchronize();
    }
    engine->loadFinishedfiles();
    engine->loadTempfiles();
    return engine;
}

FilesDownManage::FilesDownManage(std::string basepath, std::vector<std::string> targetPathArr,
                                 Environment environment)
    : basepath_(std::move(basepath)),
      targetSubPath_("mp4"),
      targetPathArray_(std::move(targetPathArr)),
      environment_(std::move(environment)) {}

FilesDownManage::~FilesDownManage() = default;

bool FilesDownManage::isSafeFileID(std::string_view fileID) {
    return FileModel::isSafeFileID(fileID);
}

DownloadFolders FilesDownManage::folders() const {
    return {basepath_, targetSubPath_, targetPathArray_};
}

int FilesDownManage::maxRequestCount() {
    const auto stored = platform::UserDefaults::standard().objectForKey(kMaxRequestCountKey);
    const int value = stored ? Json::intValue(&*stored) : 1;
    // Below one nothing could ever run and every add would wait for good.
    return std::max(value, 1);
}

void FilesDownManage::setDownloadDelegate(std::weak_ptr<DownloadDelegate> delegate) {
    downloadDelegate_ = std::move(delegate);
}

std::shared_ptr<DownloadDelegate> FilesDownManage::downloadDelegate() const {
    return downloadDelegate_.lock();
}

std::shared_ptr<FileModel> FilesDownManage::recordOf(const HTTPRequest& request) {
    const auto& info = request.userInfo();
    const auto found = info.find("File");
    if (found == info.end()) {
        return nullptr;
    }
    const auto* record = std::any_cast<std::shared_ptr<FileModel>>(&found->second);
    return record ? *record : nullptr;
}

std::shared_ptr<HTTPRequest> FilesDownManage::makeRequest(const std::string& url) const {
    return environment_.makeRequest ? environment_.makeRequest(url) : HTTPRequest::initWithURL(url);
}

bool FilesDownManage::onCellularNetwork() const {
    return environment_.onCellularNetwork ? environment_.onCellularNetwork() : ALNetwork::connectedVia3G();
}

std::uint64_t FilesDownManage::freeDiskSpace() const {
    return environment_.freeDiskSpace ? environment_.freeDiskSpace() : CommonHelper::getFreeDiskspace();
}

std::shared_ptr<FileModel> FilesDownManage::firstRecordNamed(const FileModel::Text& fileName) const {
    const auto found = std::find_if(filelist_.begin(), filelist_.end(),
                                    [&](const auto& record) { return record->fileName() == fileName; });
    return found == filelist_.end() ? nullptr : *found;
}

void FilesDownManage::tellUpdate(HTTPRequest& request) {
    if (const auto delegate = downloadDelegate()) {
        delegate->updateCellProgress(request);
    }
}

void FilesDownManage::markFailed(const std::shared_ptr<FileModel>& record) {
    const auto fail = [](FileModel& failed) {
        failed.setIsDownloading(false);
        failed.setWillDownloading(false);
        failed.setError(true);
    };
    fail(*record);
    for (const auto& other : filelist_) {
        if (other->fileName() == record->fileName()) {
            fail(*other);
        }
    }
}

// ---- adding and scheduling

void FilesDownManage::downFileUrl(const std::string& url, const std::string& fileID,
                                  const std::string& filetarget, const std::string& byName) {
    if (!isSafeFileID(fileID)) {
        platform::logf("文件标识无效: {}", fileID);
        return;
    }
    const auto notWifiDown = platform::UserDefaults::standard().stringForKey(kNotWifiDownKey);
    const bool cellular = onCellularNetwork();
    platform::logf("notifiDown is: {},是否3G {}", describe(notWifiDown), cellular ? 1 : 0);
    if (cellular) {
        if (notWifiDown == "yes") {
            Toast::showToastWithText(kToastCellularWarning);
        } else {
            Toast::showToastWithText(kToastCellularForbidden);
            return;
        }
    }
    if (freeDiskSpace() < kRequiredFreeSpace) {
        Toast::showToastWithText(kToastNoDiskSpace);
        return;
    }

    targetSubPath_ = filetarget;
    auto record = std::make_shared<FileModel>();
    record->setFileName(fileID);
    record->setFileURL(url);
    record->setFileByName(byName);
    record->setTime(CommonHelper::dateToString(platform::RunLoop::main().clock().wallNow()));
    record->setFileType(urlPathExtension(url));
    const std::string extension = record->fileType()->empty() ? kDefaultVideoExtension : *record->fileType();
    const std::string targetPath = DownloadRecordStore::targetPathFor(fileID, extension, folders());
    record->setTargetPath(targetPath);
    platform::logf("targetPath is: {}", targetPath);
    record->setTempPath(DownloadRecordStore::tempPathFor(fileID, basepath_));
    record->setIsDownloading(false);
    record->setWillDownloading(true);
    record->setError(false);
    record->setIsFirstReceived(true);
    fileInfo_ = record;

    if (FileSystem::exists(targetPath)) {
        Toast::showToastWithText(kToastAlreadyDownloaded);
        return;
    }
    const std::string recordPath = DownloadRecordStore::recordFilePath(*record->tempPath());
    platform::logf("tempFilePath is: {}", recordPath);
    if (FileSystem::exists(recordPath)) {
        Toast::showToastWithText(kToastAlreadyListed);
        return;
    }
    filelist_.push_back(record);
    startLoad();
    Toast::showToastWithText(kToastAdded);
}

void FilesDownManage::startLoad() {
    const int max = maxRequestCount();
    int running = 0;
    for (const auto& record : filelist_) {
        if (record->state() != FileModel::State::Downloading) {
            continue;
        }
        record->setWillDownloading(false);
        if (running < max) {
            ++running;
        } else {
            record->setIsDownloading(false);
            record->setWillDownloading(true);
        }
    }
    if (running < max) {
        for (const auto& record : filelist_) {
            if (record->state() != FileModel::State::Waiting) {
                continue;
            }
            if (++running > max) {
                break;
            }
            record->setIsDownloading(true);
            record->setWillDownloading(false);
        }
    }
    // A copy: the delegate hears of every request and may look at the lists.
    const auto records = filelist_;
    for (const auto& record : records) {
        if (!record->error()) {
            beginRequest(record, record->isDownloading());
        }
    }
    count_ = filelist_.size();
}

void FilesDownManage::beginRequest(const std::shared_ptr<FileModel>& record, bool isBeginDown) {
    const auto requests = downinglist_;
    for (const auto& request : requests) {
        const auto owner = recordOf(*request);
        if (!owner || owner->fileName() != record->fileName()) {
            continue;
        }
        if (request->isExecuting()) {
            if (isBeginDown) {
                return;  // it already runs
            }
            request->setUserInfo({{"File", record}});
            request->clearDelegatesAndCancel();
            tellUpdate(*request);
            return;
        }
        if (!isBeginDown) {
            tellUpdate(*request);  // the idle request stays
            return;
        }
    }

    saveDownloadFile(*record);
    record->setIsFirstReceived(true);
    auto fresh = makeRequest(record->fileURL().value_or(""));
    if (!fresh) {
        platform::logf("无法创建请求: {}", describe(record->fileURL()));
        return;
    }
    fresh->setDelegate(weak_from_this());
    fresh->setDownloadDestinationPath(record->targetPath().value_or(""));
    fresh->setTemporaryFileDownloadPath(record->tempPath().value_or(""));
    fresh->setDownloadProgressDelegate(weak_from_this());
    fresh->setNumberOfTimesToRetryOnTimeout(kRetriesOnTimeout);
    fresh->setAllowResumeForFileDownloads(true);
    fresh->setUserInfo({{"File", record}});
    fresh->setTimeOutSeconds(kRequestTimeOut);
    // The bytes on disk are only joined to a reply of the same contents: a server
    // whose file changed answers "If-Range" with the whole new file.
    if (const auto validator = ifRangeValidator(*record)) {
        fresh->addRequestHeader("If-Range", *validator);
    }

    const auto same = std::find_if(downinglist_.begin(), downinglist_.end(), [&](const auto& request) {
        const auto owner = recordOf(*request);
        return owner && owner->fileName() == record->fileName();
    });
    if (same != downinglist_.end()) {
        const auto replaced = *same;
        *same = fresh;
        replaced->clearDelegatesAndCancel();
    } else {
        downinglist_.push_back(fresh);
    }
    // Started once it is in the list, so its callbacks always find it there.
    if (isBeginDown) {
        fresh->startAsynchronous();
    }
    tellUpdate(*fresh);
}

std::optional<std::string> FilesDownManage::ifRangeValidator(const FileModel& record) {
    if (!record.fileValidator() || !record.tempPath()) {
        return std::nullopt;
    }
    const auto partialSize = FileSystem::fileSize(*record.tempPath());
    if (!partialSize || *partialSize == 0) {
        return std::nullopt;
    }
    return record.fileValidator();
}

// ---- user actions

void FilesDownManage::stopRequest(HTTPRequest& request) {
    const int max = maxRequestCount();
    if (request.isExecuting()) {
        request.clearDelegatesAndCancel();
    }
    if (const auto owner = recordOf(request)) {
        if (const auto record = firstRecordNamed(owner->fileName())) {
            record->setIsDownloading(false);
            record->setWillDownloading(false);
        }
    }
    const auto downloading = std::count_if(filelist_.begin(), filelist_.end(),
                                           [](const auto& record) { return record->state() == FileModel::State::Downloading; });
    if (downloading < max) {
        const auto waiting = std::find_if(filelist_.begin(), filelist_.end(), [](const auto& record) {
            return record->state() == FileModel::State::Waiting;
        });
        if (waiting != filelist_.end()) {
            (*waiting)->setIsDownloading(true);
            (*waiting)->setWillDownloading(false);
        }
    }
    startLoad();
}

void FilesDownManage::resumeRequest(HTTPRequest& request) {
    if (platform::UserDefaults::standard().stringForKey(kNotWifiDownKey) != "yes" && onCellularNetwork()) {
        Toast::showToastWithText(kToastCellularForbidden);
        return;
    }
    const int max = maxRequestCount();
    int downloading = 0;
    std::shared_ptr<FileModel> lastSlot;
    for (const auto& record : filelist_) {
        if (record->state() == FileModel::State::Downloading && ++downloading == max) {
            lastSlot = record;
        }
    }
    if (downloading == max && lastSlot) {
        lastSlot->setIsDownloading(false);
        lastSlot->setWillDownloading(true);
    }
    if (const auto owner = recordOf(request)) {
        for (const auto& record : filelist_) {
            if (record->fileName() == owner->fileName()) {
                record->setIsDownloading(true);
                record->setWillDownloading(false);
                record->setError(false);
            }
        }
    }
    startLoad();
}

void FilesDownManage::deleteRequest(HTTPRequest& request) {
    // Held here: taking it out of the list must not end it while it is in use.
    const auto held = request.weak_from_this().lock();
    const bool wasExecuting = request.isExecuting();
    if (wasExecuting) {
        request.clearDelegatesAndCancel();
    }
    if (const auto owner = recordOf(request)) {
        if (owner->tempPath()) {
            removeLogged(*owner->tempPath());
            removeLogged(DownloadRecordStore::recordFilePath(*owner->tempPath()));
        }
        const auto found = std::find_if(filelist_.begin(), filelist_.end(), [&](const auto& record) {
            return record->fileName() == owner->fileName();
        });
        if (found != filelist_.end()) {
            filelist_.erase(found);
        }
    }
    std::erase_if(downinglist_, [&](const auto& listed) { return listed.get() == &request; });
    if (wasExecuting) {
        startLoad();
    }
    count_ = filelist_.size();
}

void FilesDownManage::stopAllRequest() {
    if (downinglist_.empty()) {
        return;
    }
    const auto requests = downinglist_;
    for (const auto& request : requests) {
        if (request->isExecuting()) {
            request->clearDelegatesAndCancel();
        }
        const auto owner = recordOf(*request);
        if (!owner) {
            continue;
        }
        if (const auto record = firstRecordNamed(owner->fileName())) {
            record->setIsDownloading(false);
            record->setWillDownloading(false);
        }
        platform::logf("停止下载任务: {}", describe(owner->fileName()));
    }
    startLoad();
}

void FilesDownManage::clearAllRquests() {
    const auto requests = downinglist_;
    for (const auto& request : requests) {
        if (request->isExecuting()) {
            request->clearDelegatesAndCancel();
        }
        const auto owner = recordOf(*request);
        if (owner && owner->tempPath()) {
            removeLogged(*owner->tempPath());
            removeLogged(DownloadRecordStore::recordFilePath(*owner->tempPath()));
        }
    }
    downinglist_.clear();
    filelist_.clear();
    count_ = 0;
}

void FilesDownManage::cleanLastInfo() {
    for (const auto& request : downinglist_) {
        if (request->isExecuting()) {
            request->clearDelegatesAndCancel();
        }
    }
    saveFinishedFile();
    downinglist_.clear();
    finishedlist_.clear();
    filelist_.clear();
    count_ = 0;
    // A rebuild still reading the old folders must not fill the emptied list.
    ++loadGeneration_;
    tempfilesLoaded_ = false;
}

// ---- request callbacks

void FilesDownManage::requestStarted(HTTPRequest& /*request*/) {}

void FilesDownManage::didReceiveResponseHeaders(HTTPRequest& request, const HTTPHeaders& headers) {
    const auto record = recordOf(request);
    if (!record) {
        return;
    }
    record->setIsFirstReceived(true);
    // A redirect or an error page says nothing about the video: sizes and validators come only
    // from the response that carries its bytes.
    if (!request.responseHoldsFile()) {
        return;
    }
    if (const auto range = HTTPResponseHeaders::find(headers, "Content-Range")) {
        // A resumed response keeps the stored validator; the size it names is the video's.
        const auto parsed = HTTPResponseHeaders::parseContentRange(*range);
        const auto total = parsed ? parsed->total : std::nullopt;
        if (total && record->fileSize() != std::to_string(*total)) {
            record->setFileSize(std::to_string(*total));
            saveDownloadFile(*record);
        }
        return;
    }
    const auto length = HTTPResponseHeaders::find(headers, "Content-Length");
    record->setFileSize(std::to_string(length ? Json::longLongValue(*length) : 0LL));
    record->setFileValidator(HTTPResponseHeaders::validator(headers));
    saveDownloadFile(*record);
}

void FilesDownManage::didReceiveBytes(HTTPRequest& request, std::int64_t bytes) {
    platform::logf("下载数据: {}", bytes);
    const auto record = recordOf(request);
    if (record && request.responseHoldsFile()) {
        if (record->isFirstReceived()) {
            record->setIsFirstReceived(false);
            record->setFileReceivedSize(std::to_string(bytes));
        } else {
            const long long stored = Json::longLongValue(record->fileReceivedSize().value_or(""));
            record->setFileReceivedSize(std::to_string(stored + bytes));
        }
        saveDownloadFile(*record);
    }
    tellUpdate(request);
}

void FilesDownManage::requestFinished(HTTPRequest& request) {
    const auto held = request.weak_from_this().lock();
    const int status = request.responseStatusCode();
    platform::logf("下载完成:{}", status);
    const auto record = recordOf(request);
    if (!record) {
        return;
    }
    if (!request.responseHoldsFile()) {
        // An error page is no video: the download failed, its partial file stays for the next
        // attempt, and nothing was moved into place.
        if (request.isExecuting()) {
            request.clearDelegatesAndCancel();
        }
        markFailed(record);
        startLoad();
        tellUpdate(request);
        return;
    }
    finishedlist_.push_back(record);
    // The finished list is written before the record goes, so a process ended between the two
    // still finds the video listed; when the list cannot be written the record stays, and the
    // next launch lists the video from it.
    const bool listed = DownloadRecordStore::saveFinishedList(finishedlist_, folders());
    if (listed && record->tempPath()) {
        removeLogged(DownloadRecordStore::recordFilePath(*record->tempPath()));
    }
    std::erase(filelist_, record);
    std::erase_if(downinglist_, [&](const auto& listed) { return listed.get() == &request; });
    startLoad();
    if (const auto delegate = downloadDelegate()) {
        delegate->finishedDownload(request);
    }
}

void FilesDownManage::requestFailed(HTTPRequest& request) {
    // A copy: the cancel below may replace the request's error.
    const std::optional<HTTPRequestError> error = request.error();
    if (error && error->code == HTTPRequestErrorCode::Cancelled) {
        return;
    }
    if (request.isExecuting()) {
        request.clearDelegatesAndCancel();
    }
    if (const auto record = recordOf(request)) {
        markFailed(record);
    }
    if (error && error->diskFull) {
        // The partial file keeps every byte written; a resume once space is freed goes on from it.
        Toast::showToastWithText(kToastNoDiskSpace);
    }
    tellUpdate(request);
}

// ---- record files and the finished list

void FilesDownManage::saveDownloadFile(const FileModel& record) {
    DownloadRecordStore::saveRecord(record, folders());
}

std::shared_ptr<FileModel> FilesDownManage::getTempfile(const std::string& path) {
    auto loaded = DownloadRecordStore::readRecordFile(path, folders());
    if (!loaded) {
        return nullptr;
    }
    basepath_ = loaded->basepath;
    targetSubPath_ = loaded->targetSubPath;
    return loaded->record;
}

void FilesDownManage::loadTempfiles() {
    tempfilesLoaded_ = false;
    const std::uint64_t generation = ++loadGeneration_;
    std::weak_ptr<FilesDownManage> weak = weak_from_this();
    // Only the reading happens off the main thread; the records reach the lists there.
    platform::DispatchQueue::global().async([weak, generation, folders = folders()] {
        auto contents = DownloadRecordStore::readTempFolder(folders);
        platform::RunLoop::main().post([weak, generation, contents = std::move(contents)]() mutable {
            const auto self = weak.lock();
            if (self && self->loadGeneration_ == generation) {
                self->takeLoadedRecords(std::move(contents));
            }
        });
    });
}

void FilesDownManage::takeLoadedRecords(DownloadRecordStore::TempFolderContents contents) {
    // A record that cannot be read is set aside, so adding its video again is not refused for
    // good; its partial file is resumed by that add, or deleted with it.
    DownloadRecordStore::setAside(contents.unreadable);
    std::vector<std::shared_ptr<FileModel>> taken;
    for (auto& item : contents.records) {
        // Deleted meanwhile, already known, or finished: the main thread's view wins.
        if (!FileSystem::exists(DownloadRecordStore::recordFilePath(*item.record->tempPath())) ||
            firstRecordNamed(item.record->fileName()) || FileSystem::exists(*item.record->targetPath())) {
            continue;
        }
        basepath_ = item.basepath;
        targetSubPath_ = item.targetSubPath;
        taken.push_back(std::move(item.record));
    }
    // Read back in time order, ahead of anything added while they were being read.
    filelist_.insert(filelist_.begin(), taken.begin(), taken.end());
    tempfilesLoaded_ = true;
    startLoad();
}

std::string FilesDownManage::finishedListPath() const {
    return DownloadRecordStore::finishedListPath(folders());
}

void FilesDownManage::loadFinishedfiles() {
    auto records = DownloadRecordStore::loadFinishedList(folders());
    finishedlist_.insert(finishedlist_.end(), records.begin(), records.end());
}

void FilesDownManage::saveFinishedFile() {
    DownloadRecordStore::saveFinishedList(finishedlist_, folders());
}

void FilesDownManage::deleteFinishFile(const std::shared_ptr<FileModel>& given) {
    if (finishedlist_.empty() || !given) {
        return;
    }
    // A copy: `given` may be the list's own element, which the erase destroys.
    const std::shared_ptr<FileModel> record = given;  // NOLINT(performance-unnecessary-copy-initialization)
    std::erase(finishedlist_, record);
    platform::logf("selectedFile target path is: {}", describe(record->targetPath()));
    if (record->targetPath() && FileSystem::exists(*record->targetPath()) &&
        !FileSystem::remove(*record->targetPath())) {
        platform::log("删除视频失败");
    }
    DownloadRecordStore::removeFinishedEntry(*record, folders());
}

void FilesDownManage::clearAllFinished() {
    const std::size_t total = finishedlist_.size();
    for (std::size_t index = 0; index < total; ++index) {
        const auto& record = finishedlist_[index];
        if (record->targetPath() && FileSystem::exists(*record->targetPath()) &&
            !FileSystem::remove(*record->targetPath())) {
            platform::log("删除视频失败");
        }
        DownloadRecordStore::removeFinishedEntry(*record, folders());
    }
    finishedlist_.clear();
}

std::vector<std::shared_ptr<FileModel>> FilesDownManage::sortbyTime(
    const std::vector<std::shared_ptr<FileModel>>& records) {
    return DownloadRecordStore::sortbyTime(records);
}
