#pragma once

#include "Library/HTTPRequest/HTTPRequestDelegate.h"
#include "Library/HTTPRequest/HTTPRequestProgressDelegate.h"
#include "download/DownloadDelegate.h"
#include "download/DownloadRecordStore.h"
#include "download/FileModel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The download engine: keeps every unfinished video download as a record in the file
// list, runs at most "kMaxRequestCount" of them at once, lets the others wait, keeps one
// request per record in the request list (the rows of the downloads screen), resumes
// from partial files, records progress in the record files beside them and moves
// completed downloads to the finished list ("finishPlist.plist").
//
// Everything runs on the main thread. The rebuild of the file list at creation reads
// the temp folder on a background queue and hands the records to the main thread, which
// alone changes the lists.
class FilesDownManage : public HTTPRequestDelegate,
                        public HTTPRequestProgressDelegate,
                        public std::enable_shared_from_this<FilesDownManage> {
public:
    static constexpr std::uint64_t kRequiredFreeSpace = 314'572'800;  // 300 MiB
    static constexpr double kRequestTimeOut = 30.0;
    static constexpr int kRetriesOnTimeout = 2;
    static constexpr const char* kMaxRequestCountKey = "kMaxRequestCount";
    static constexpr const char* kNotWifiDownKey = "notWifiDown";

    static constexpr const char* kToastCellularWarning = "使用3G网络下载可能会产生比较多的流量费用";
    static constexpr const char* kToastCellularForbidden = "3G网络下禁止下载,请去学员中心设置!";
    static constexpr const char* kToastNoDiskSpace = "磁盘空间不足,请先清理手机的空间!";
    static constexpr const char* kToastAlreadyDownloaded = "您已下载该视频,请到课程下载中查看";
    static constexpr const char* kToastAlreadyListed = "已在下载列表,请到课程下载中查看";
    static constexpr const char* kToastAdded = "已添加到下载列表,请到课程下载中查看!";
    // What the course detail screen shows for a file identifier isSafeFileID refuses.
    static constexpr const char* kToastBadVideoAddress = "视频地址错误!";

    using RequestFactory = std::function<std::shared_ptr<HTTPRequest>(const std::string& url)>;

    // What the engine asks of the world; an empty member uses the real one
    // (HTTPRequest::initWithURL, CommonHelper::getFreeDiskspace, ALNetwork::connectedVia3G).
    struct Environment {
        RequestFactory makeRequest;
        std::function<std::uint64_t()> freeDiskSpace;
        std::function<bool()> onCellularNetwork;
    };

    // The process's engine; the launch sequence creates it with the base path first.
    static std::shared_ptr<FilesDownManage> sharedFilesDownManage();
    // Creates the process's engine on first use; a different base path makes the
    // existing engine forget its lists and read those of the new base path.
    static std::shared_ptr<FilesDownManage> sharedFilesDownManageWithBasepath(
        const std::string& basepath, const std::vector<std::string>& targetPathArr);
    // The environment the process's engine is created with (set before its creation).
    static void setSharedEnvironment(Environment environment);

    // An engine of its own: ensures "kMaxRequestCount", reads the finished list now and
    // starts the background rebuild of the file list.
    static std::shared_ptr<FilesDownManage> create(std::string basepath,
                                                   std::vector<std::string> targetPathArr,
                                                   Environment environment = {});

    // Idle until loadFinishedfiles()/loadTempfiles(); create() does both.
    FilesDownManage(std::string basepath, std::vector<std::string> targetPathArr, Environment environment);
    ~FilesDownManage() override;
    FilesDownManage(const FilesDownManage&) = delete;
    FilesDownManage& operator=(const FilesDownManage&) = delete;

    // Whether `fileID` may name files: not empty, no "/" or "\", not "." or "..", no
    // control characters. The add refuses any other identifier.
    static bool isSafeFileID(std::string_view fileID);

    // Adds a video and tells the user the outcome with a toast.
    void downFileUrl(const std::string& url, const std::string& fileID, const std::string& filetarget,
                     const std::string& byName);
    // The scheduling pass: gives free slots to waiting records in list order, makes or
    // keeps each record's request, and starts the ones holding a slot.
    void startLoad();
    void beginRequest(const std::shared_ptr<FileModel>& record, bool isBeginDown);
    void stopRequest(HTTPRequest& request);
    // Resumes a stopped or failed download, or promotes a waiting one; the holder of
    // the last slot waits when all slots are taken.
    void resumeRequest(HTTPRequest& request);
    void deleteRequest(HTTPRequest& request);
    void stopAllRequest();
    void clearAllRquests();
    void cleanLastInfo();

    std::vector<std::shared_ptr<FileModel>>& filelist() { return filelist_; }
    std::vector<std::shared_ptr<HTTPRequest>>& downinglist() { return downinglist_; }
    std::vector<std::shared_ptr<FileModel>>& finishedlist() { return finishedlist_; }
    std::shared_ptr<FileModel> fileInfo() const { return fileInfo_; }
    std::size_t count() const { return count_; }

    void setDownloadDelegate(std::weak_ptr<DownloadDelegate> delegate);
    std::shared_ptr<DownloadDelegate> downloadDelegate() const;

    const std::string& basepath() const { return basepath_; }
    const std::string& targetSubPath() const { return targetSubPath_; }
    const std::vector<std::string>& targetPathArray() const { return targetPathArray_; }
    // The "kMaxRequestCount" preference as a number; values below 1 count as 1.
    static int maxRequestCount();

    // Persistence of the record files and the finished list file.
    void saveDownloadFile(const FileModel& record);
    // Reads a record file back as a stopped record; the engine takes the record's base
    // and target sub-path. Nothing when the file cannot be parsed or lacks "filename".
    std::shared_ptr<FileModel> getTempfile(const std::string& path);
    void loadTempfiles();
    // Whether the background rebuild has handed its records to the file list.
    bool tempfilesLoaded() const { return tempfilesLoaded_; }
    void loadFinishedfiles();
    void saveFinishedFile();
    void deleteFinishFile(const std::shared_ptr<FileModel>& record);
    void clearAllFinished();
    static std::vector<std::shared_ptr<FileModel>> sortbyTime(
        const std::vector<std::shared_ptr<FileModel>>& records);
    // home / "Documents" / base path / "finishPlist.plist".
    std::string finishedListPath() const;

    // HTTPRequestDelegate and HTTPRequestProgressDelegate.
    void requestStarted(HTTPRequest& request) override;
    void didReceiveResponseHeaders(HTTPRequest& request, const HTTPHeaders& headers) override;
    void didReceiveBytes(HTTPRequest& request, std::int64_t bytes) override;
    void requestFinished(HTTPRequest& request) override;
    void requestFailed(HTTPRequest& request) override;

    // The "If-Range" value a new request for `record` sends: its stored validator, when
    // the partial file holds bytes to resume from.
    static std::optional<std::string> ifRangeValidator(const FileModel& record);

    // The record of a request: its userInfo "File".
    static std::shared_ptr<FileModel> recordOf(const HTTPRequest& request);

private:
    DownloadFolders folders() const;
    std::shared_ptr<FileModel> firstRecordNamed(const FileModel::Text& fileName) const;
    void markFailed(const std::shared_ptr<FileModel>& record);
    void tellUpdate(HTTPRequest& request);
    void takeLoadedRecords(DownloadRecordStore::TempFolderContents contents);
    std::shared_ptr<HTTPRequest> makeRequest(const std::string& url) const;
    bool onCellularNetwork() const;
    std::uint64_t freeDiskSpace() const;

    std::string basepath_;
    std::string targetSubPath_;
    std::vector<std::string> targetPathArray_;
    Environment environment_;
    std::vector<std::shared_ptr<FileModel>> filelist_;
    std::vector<std::shared_ptr<HTTPRequest>> downinglist_;
    std::vector<std::shared_ptr<FileModel>> finishedlist_;
    std::shared_ptr<FileModel> fileInfo_;
    std::weak_ptr<DownloadDelegate> downloadDelegate_;
    std::size_t count_ = 0;
    bool tempfilesLoaded_ = false;
    std::uint64_t loadGeneration_ = 0;  // a newer rebuild or cleanLastInfo drops older results
};
