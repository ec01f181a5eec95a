#pragma once

#include "platform/foundation/Json.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

// One video download: what it is, where its files lie and what state it is in.
// A record is plain data; the download engine and the downloads screen own the
// decisions. A new record has every text absent and every flag false.
class FileModel {
public:
    using Text = std::optional<std::string>;

    FileModel() = default;

    // Whether a file identifier may name files: not empty, no "/" or "\", not "." or "..", no
    // control characters.
    static bool isSafeFileID(std::string_view fileID);

    // Display name of the video (the course title given when it was added).
    const Text& fileByName() const { return _fileByName; }
    void setFileByName(Text value) { _fileByName = std::move(value); }

    // File identifier: base name of the partial, record and finished files, and the
    // identity of the record.
    const Text& fileName() const { return _fileName; }
    void setFileName(Text value) { _fileName = std::move(value); }

    // Total size in bytes as decimal text.
    const Text& fileSize() const { return _fileSize; }
    void setFileSize(Text value) { _fileSize = std::move(value); }

    const Text& fileType() const { return _fileType; }
    void setFileType(Text value) { _fileType = std::move(value); }

    // Bytes received so far, earlier attempts included, as decimal text.
    const Text& fileReceivedSize() const { return _fileReceivedSize; }
    void setFileReceivedSize(Text value) { _fileReceivedSize = std::move(value); }

    const Text& fileURL() const { return _fileURL; }
    void setFileURL(Text value) { _fileURL = std::move(value); }

    // Absolute path of the finished file.
    const Text& targetPath() const { return _targetPath; }
    void setTargetPath(Text value) { _targetPath = std::move(value); }

    // Absolute path of the partial file; its record file is this path + ".plist".
    const Text& tempPath() const { return _tempPath; }
    void setTempPath(Text value) { _tempPath = std::move(value); }

    // Local time the download was added, "MM-dd HH:mm:ss".
    const Text& time() const { return _time; }
    void setTime(Text value) { _time = std::move(value); }

    // The response's validator ("ETag", else "Last-Modified") of the bytes in the
    // partial file; sent as "If-Range" when resuming so changed content starts again.
    const Text& fileValidator() const { return _fileValidator; }
    void setFileValidator(Text value) { _fileValidator = std::move(value); }

    // Where an unfinished download stands, read from its flags in this one place (finished
    // downloads are the entries of the finished list).
    enum class State {
        Stopped,      // paused by the person, or never started
        Waiting,      // queued for a free slot
        Downloading,  // its request runs
        Failed,       // its last attempt failed; the person may start it again
    };
    State state() const {
        if (_error) return State::Failed;
        if (_isDownloading) return State::Downloading;
        if (_willDownloading) return State::Waiting;
        return State::Stopped;
    }

    bool isDownloading() const { return _isDownloading; }
    void setIsDownloading(bool value) { _isDownloading = value; }

    bool willDownloading() const { return _willDownloading; }
    void setWillDownloading(bool value) { _willDownloading = value; }

    bool error() const { return _error; }
    void setError(bool value) { _error = value; }

    // The next progress report carries the running total rather than an increment.
    bool isFirstReceived() const { return _isFirstReceived; }
    void setIsFirstReceived(bool value) { _isFirstReceived = value; }

    // The dictionary of the record file kept beside the partial file: "byname",
    // "filename", "fileurl", "time", "basepath", "tarpath", "filesize",
    // "filerecievesize", "filevalidator", all strings. A value that is not known yet is left out
    // and the keys after it are still written, so a missing display name or size
    // never costs the record its later fields.
    platform::Value recordDictionary(const std::string& basePath, const std::string& targetSubPath) const;

    // One entry of the finished list: "filename", "time", "filesize", "filepath"
    // (the target path), "byname"; unknown values are left out as above.
    platform::Value finishedEntryDictionary() const;

private:
    Text _fileByName;
    Text _fileName;
    Text _fileSize;
    Text _fileType;
    Text _fileReceivedSize;
    Text _fileURL;
    Text _targetPath;
    Text _tempPath;
    Text _time;
    Text _fileValidator;
    bool _isDownloading = false;
    bool _willDownloading = false;
    bool _error = false;
    bool _isFirstReceived = false;
};
