#pragma once

#include "Library/HTTPRequest/DownloadResponsePlan.h"
#include "Library/HTTPRequest/HTTPRequestDelegate.h"
#include "Library/HTTPRequest/HTTPRequestError.h"
#include "Library/HTTPRequest/HTTPRequestProgressDelegate.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScopedTimer.h"
#include "platform/net/HttpFileSink.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpTypes.h"

#include <any>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using HTTPRequestUserInfo = std::map<std::string, std::any>;

// A GET that downloads a file into a partial file and moves it to its destination when the
// body is complete. It resumes from a non-empty partial file with "Range", follows up to 5
// redirects in a row, restarts after time-outs (measured on the main run loop's clock) and
// inflates gzip bodies. Main thread only: every entry point checks it, and every callback
// arrives there.
//
// Only a body that is the file touches the partial file: a 200, or a 206 that continues it.
// An error page completes the request with its status but is never written or moved into
// place, and a body shorter than its headers promised fails, keeping what arrived.
class HTTPRequest : public std::enable_shared_from_this<HTTPRequest> {
public:
    static std::shared_ptr<HTTPRequest> initWithURL(const std::string& url);
    explicit HTTPRequest(std::string url);  // public so tests can derive scripted doubles
    virtual ~HTTPRequest();
    HTTPRequest(const HTTPRequest&) = delete;
    HTTPRequest& operator=(const HTTPRequest&) = delete;

    const std::string& url() const;
    void setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate);
    void setDownloadProgressDelegate(std::weak_ptr<HTTPRequestProgressDelegate> delegate);
    void setDownloadDestinationPath(std::string path);
    const std::string& downloadDestinationPath() const;
    void setTemporaryFileDownloadPath(std::string path);
    const std::string& temporaryFileDownloadPath() const;
    void setNumberOfTimesToRetryOnTimeout(int times);
    int numberOfTimesToRetryOnTimeout() const;
    void setAllowResumeForFileDownloads(bool allow);
    bool allowResumeForFileDownloads() const;
    void setUserInfo(HTTPRequestUserInfo userInfo);
    const HTTPRequestUserInfo& userInfo() const;
    void setTimeOutSeconds(double seconds);
    double timeOutSeconds() const;
    // Sent with every attempt, e.g. "If-Range" with the stored validator when resuming.
    void addRequestHeader(std::string name, std::string value);

    // Hands the request to the shared queue (at most 4 run at once) and returns at once.
    virtual void startAsynchronous();
    // From the start until the request is marked finished.
    virtual bool isExecuting() const;
    // Detaches every delegate, then cancels: no callback follows and the partial file stays.
    virtual void clearDelegatesAndCancel();

    const HTTPHeaders& responseHeaders() const;
    std::optional<std::string> responseHeader(std::string_view name) const;  // case-insensitive
    int responseStatusCode() const;
    // Whether the current response's body is the file: a 200, a 206 that continues the partial
    // file, or a 416 that finds it already whole. An error page or a redirect is not; a request
    // that finishes with one has moved nothing into place.
    bool responseHoldsFile() const;
    const std::optional<HTTPRequestError>& error() const;

protected:  // for scripted doubles in tests: set state, then call the delegates
    std::shared_ptr<HTTPRequestDelegate> delegate() const;
    std::shared_ptr<HTTPRequestProgressDelegate> downloadProgressDelegate() const;
    // A 200 or 206 counts as the file unless `holdsFile` says otherwise.
    void setResponse(int statusCode, HTTPHeaders headers);
    void setResponse(int statusCode, HTTPHeaders headers, bool holdsFile);
    void setError(std::optional<HTTPRequestError> error);
    void setExecuting(bool executing);

private:
    friend class HTTPRequestQueue;
    friend class HTTPRequestConnection;

    // How the body of the current response goes into the partial file.
    enum class BodyTarget { Discard, CountOnly, Write };

    // Queue (main thread): runs the request; a request that cannot run ends at once.
    void beginTransfer();
    void startAttempt();
    void restartAfterInterruption();
    // Connection events of the current attempt (main thread).
    void handleResponse(const platform::HttpResponse& response);
    void handleData(std::string_view chunk);
    void handleFinish();
    void handleFailure(const platform::HttpError& error);
    // Sets up where the body of a non-redirect response goes, by the response's plan; false
    // when the request restarted or failed instead.
    bool prepareBody();
    // Tells the sink where the body goes; false (the request failed) when the file cannot be opened.
    bool placeBody(const platform::HttpFileSink::Placement& placement);
    // Fails the request when its sink could not write; true then.
    bool failedToWrite();
    void closeSink();
    // Bytes of the body kept in this attempt: written to the partial file, or counted.
    std::uint64_t bodyBytes() const;
    // Asks for the whole file again, the partial file untouched until it answers; returns false.
    bool restartFromFirstByte();
    // The partial file measures what the response promised; fails the request otherwise.
    bool partialFileIsWhole();
    void failToWrite();
    void statusCheck();
    void reportProgress(bool bodyComplete);
    void completeBody();
    bool moveIntoPlace();
    void fail(HTTPRequestErrorCode code, std::string description, bool diskFull = false);
    void markFinished();
    void performCancel();
    void stopTransfer();
    std::string partialPath() const;

    // Where the request is in its life; it only ever moves forward.
    enum class Phase {
        Idle,      // not started
        Queued,    // started, waiting for the queue to run it
        Running,   // its transfer runs
        Ending,    // failed, finished or cancelled: its delegates are being told
        Finished,  // out of the queue
    };
    // Failed, finished or cancelled: nothing more happens to the transfer.
    bool hasEnded() const { return phase_ == Phase::Ending || phase_ == Phase::Finished; }

    Phase phase_ = Phase::Idle;
    std::weak_ptr<HTTPRequestDelegate> delegate_;
    std::weak_ptr<HTTPRequestProgressDelegate> progressDelegate_;

    std::string url_;
    std::string destinationPath_;
    std::string temporaryPath_;
    int retriesOnTimeout_ = 0;
    bool allowResume_ = false;
    HTTPRequestUserInfo userInfo_;
    double timeOutSeconds_ = 10.0;
    std::vector<std::pair<std::string, std::string>> extraHeaders_;

    HTTPHeaders responseHeaders_;
    int statusCode_ = 0;
    std::optional<HTTPRequestError> error_;

    // The running transfer; main thread only.
    std::uint64_t attempt_ = 0;  // events of older attempts are ignored
    platform::HttpTaskId task_ = 0;
    platform::ScopedTimer statusTimer_;
    platform::Clock::TimePoint lastActivity_{};
    std::string currentURL_;
    std::string redirectURL_;
    int redirectsInARow_ = 0;
    int timeoutRestarts_ = 0;
    bool droppedConnectionRetried_ = false;
    bool restartedFromFirstByte_ = false;
    bool sentRange_ = false;
    bool headersIn_ = false;
    bool redirectPending_ = false;
    bool gzipEncoded_ = false;
    bool accurateProgress_ = true;
    BodyTarget bodyTarget_ = BodyTarget::Discard;
    DownloadResponsePlan plan_;
    std::uint64_t partialSize_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t lastReportedTotal_ = 0;
    std::int64_t contentLength_ = 0;
    std::shared_ptr<platform::HttpFileSink> sink_;
};
