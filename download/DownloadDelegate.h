#pragma once

class HTTPRequest;

// The downloads screen as the download engine sees it. The engine sends only these
// two; with no delegate set nothing is sent.
class DownloadDelegate {
public:
    virtual ~DownloadDelegate() = default;
    // A row's request or record changed (state, progress, a new request object).
    // Arrives on the main thread.
    virtual void updateCellProgress(HTTPRequest& /*request*/) {}
    // The request's download completed and its record moved to the finished list.
    virtual void finishedDownload(HTTPRequest& /*request*/) {}
};
