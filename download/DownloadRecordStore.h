#pragma once

#include "download/FileModel.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Where an engine keeps its files: the base path under the documents folder ("DownLoad"), the
// target sub-path of its downloads ("mp4") and the target folders it was created with.
struct DownloadFolders {
    std::string basepath;
    std::string targetSubPath;
    std::vector<std::string> targetPathArray;
};

// The download lists on disk: one record file beside each partial file, the finished list
// ("finishPlist.plist"), and the videos in the target folders. Class operations only; none
// touches the engine's lists, so the rebuild at launch can read records off the main thread.
//
// Nothing a person stored is rewritten with less: a record file or finished list that cannot
// be read is set aside ("<name>.corrupt-<yyyyMMdd-HHmmss>") rather than written over, and every
// video in a target folder is listed as finished, whatever the finished list says.
//
// The files are replaced atomically but not flushed to the disk first: a process killed at any
// moment leaves the old file or the new one, and what a power cut could still cost them is
// rebuilt from the videos and partial files themselves at the next launch. So the main thread
// never waits for the disk while downloads run.
class DownloadRecordStore {
public:
    // A record read off the main thread, with the base and target sub-path it names.
    struct LoadedRecord {
        std::shared_ptr<FileModel> record;
        std::string basepath;
        std::string targetSubPath;
    };
    // What the temp folder holds: its records in time order, and the record files that could
    // not be read (to be set aside on the main thread, whose clock names them).
    struct TempFolderContents {
        std::vector<LoadedRecord> records;
        std::vector<std::string> unreadable;
    };

    static constexpr const char* kFinishedListFileName = "finishPlist.plist";
    // The extra record-file key that keeps the response's validator for "If-Range".
    static constexpr const char* kValidatorKey = "filevalidator";

    DownloadRecordStore() = delete;

    static std::string recordFilePath(const std::string& tempPath);
    // documents / base / target sub-path / "<fileID>.<extension>".
    static std::string targetPathFor(const std::string& fileID, const std::string& extension,
                                     const DownloadFolders& folders);
    static std::string tempPathFor(const std::string& fileID, const std::string& basepath);

    // Writes the record file atomically; logs "write plist fail" and returns false on failure.
    static bool saveRecord(const FileModel& record, const DownloadFolders& folders);
    // Nothing for a file that is no dictionary, or lacks a usable "filename". The record is
    // stopped; its finished file is "<filename>.mp4" in the target folder the record names.
    static std::optional<LoadedRecord> readRecordFile(const std::string& path, const DownloadFolders& folders);
    // Safe on any thread.
    static TempFolderContents readTempFolder(const DownloadFolders& folders);
    // Renames each still-present file aside, so a re-added video is not refused for good.
    static void setAside(const std::vector<std::string>& paths);

    // home / "Documents" / base path / "finishPlist.plist".
    static std::string finishedListPath(const DownloadFolders& folders);
    // The finished list, repaired: an unreadable list file is set aside and rebuilt from the
    // videos in the target folders (names and times taken from the kept copy where it can be
    // read); a video found in a target folder that no entry names is listed too (a download
    // whose record file still exists was finished when the process ended: it is adopted and its
    // record removed). The repaired list is written back when it changed.
    static std::vector<std::shared_ptr<FileModel>> loadFinishedList(const DownloadFolders& folders);
    // Writes the whole list atomically; logs "write plist fail" and returns false on failure.
    static bool saveFinishedList(const std::vector<std::shared_ptr<FileModel>>& records,
                                 const DownloadFolders& folders);
    // Removes the first entry named like the record from the file, which keeps its other entries.
    static void removeFinishedEntry(const FileModel& record, const DownloadFolders& folders);
    // The finished file a stored "filepath" names in the current container, when it can be found.
    static std::optional<std::string> finishedTargetPath(const std::string& storedPath,
                                                         const DownloadFolders& folders);

    // Oldest first by "MM-dd HH:mm:ss"; times that cannot be read keep their place.
    static std::vector<std::shared_ptr<FileModel>> sortbyTime(const std::vector<std::shared_ptr<FileModel>>& records);

private:
    static std::vector<std::string> targetFolders(const DownloadFolders& folders);
};
