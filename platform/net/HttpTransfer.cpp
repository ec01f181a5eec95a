#include "platform/net/HttpTransfer.h"

#include "platform/foundation/RunLoop.h"
#include "platform/net/CurlError.h"
#include "platform/net/HttpFileSink.h"
#include "platform/net/HttpTransferRegistry.h"

#include <curl/curl.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace platform {

namespace {

bool hasHeaderNamed(const HttpHeaders& headers, std::string_view name) {
    return findHeader(headers, name) != nullptr;
}

}  // namespace

HttpTransfer::HttpTransfer(HttpTaskId id, HttpRequest request, std::shared_ptr<HttpTaskDelegate> delegate,
                           RunLoop& deliverOn, std::shared_ptr<HttpTransferRegistry> registry)
    : id_(id),
      request_(std::move(request)),
      deliverOn_(deliverOn),
      registry_(std::move(registry)),
      delegate_(std::move(delegate)) {}

HttpTransfer::~HttpTransfer() {
    closeEasy();
    registry_->remove(id_);
}

CURL* HttpTransfer::open(bool bypassProxyForLoopback) {
    easy_ = curl_easy_init();
    if (easy_ == nullptr) {
        return nullptr;
    }
    curl_easy_setopt(easy_, CURLOPT_URL, request_.url.c_str());
    curl_easy_setopt(easy_, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &HttpTransfer::onHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpTransfer::onBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, request_.followRedirects ? 1L : 0L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, request_.maxRedirects);
    curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // Callers see the bytes as they came: no Accept-Encoding is offered and
    // nothing is inflated here.
    curl_easy_setopt(easy_, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    if (bypassProxyForLoopback) {
        curl_easy_setopt(easy_, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    }
    if (request_.bodyFile) {
        // A file download: bigger reads mean fewer hand-overs to the file's writer.
        curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kFileBufferSize);
        request_.bodyFile->setWake(wakeNetwork_);
    }

    if (request_.method == "GET") {
        curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
    } else if (request_.method == "HEAD") {
        curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
    } else {
        if (request_.method == "POST") {
            curl_easy_setopt(easy_, CURLOPT_POST, 1L);
        } else {
            curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, request_.method.c_str());
        }
        if (request_.method == "POST" || !request_.body.empty()) {
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(request_.body.size()));
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, request_.body.data());
        }
    }

    for (const auto& [name, value] : request_.headers) {
        // "Name;" is how curl sends a header with an empty value.
        std::string line = name;
        if (value.empty()) {
            line += ";";
        } else {
            line += ": ";
            line += value;
        }
        headerList_ = curl_slist_append(headerList_, line.c_str());
    }
    if (!hasHeaderNamed(request_.headers, "Expect")) {
        // No "100-continue" round trip before a body.
        headerList_ = curl_slist_append(headerList_, "Expect:");
    }
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
    return easy_;
}

void HttpTransfer::closeEasy() {
    if (easy_ != nullptr) {
        curl_easy_cleanup(easy_);
        easy_ = nullptr;
    }
    if (headerList_ != nullptr) {
        curl_slist_free_all(headerList_);
        headerList_ = nullptr;
    }
}

std::size_t HttpTransfer::onHeader(char* data, std::size_t size, std::size_t count, void* self) {
    static_cast<HttpTransfer*>(self)->headerLine(std::string_view(data, size * count));
    return size * count;
}

std::size_t HttpTransfer::onBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    if (transfer->request_.bodyFile && !transfer->discardingBody_) {
        switch (transfer->request_.bodyFile->append(std::string_view(data, size * count))) {
            case HttpFileSink::Accept::Taken: return size * count;
            case HttpFileSink::Accept::Pause: transfer->paused_.store(true); return CURL_WRITEFUNC_PAUSE;
            case HttpFileSink::Accept::Failed: return 0;  // ends the transfer with a write error
        }
    }
    if (!transfer->discardingBody_ && !transfer->cancelled_.load(std::memory_order_relaxed)) {
        if (transfer->undelivered_.load() >= kMaxUndeliveredBytes) {
            // curl keeps these bytes and offers them again after resumeIfCaughtUp().
            transfer->paused_.store(true);
            return CURL_WRITEFUNC_PAUSE;
        }
        transfer->body_.append(data, size * count);
    }
    return size * count;
}

void HttpTransfer::headerLine(std::string_view line) {
    if (head_.readLine(line)) {
        endOfHeaderBlock();
    }
}

bool HttpTransfer::redirectIsFollowed(const HttpResponse& response) const {
    if (!request_.followRedirects || response.status < 300 || response.status >= 400 ||
        response.status == 304) {
        return false;
    }
    const std::string* location = response.header("Location");
    return location != nullptr && !location->empty();
}

void HttpTransfer::endOfHeaderBlock() {
    HttpResponse& pending = head_.response();
    if (pending.status >= 100 && pending.status < 200) {
        return;  // an interim response; the real one follows
    }
    if (redirectIsFollowed(pending)) {
        discardingBody_ = true;
        return;
    }
    discardingBody_ = false;
    char* url = nullptr;
    if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url != nullptr) {
        pending.url = url;
    } else {
        pending.url = request_.url;
    }
    queueData();
    queue([response = std::move(pending)](HttpTaskDelegate& delegate) {
        delegate.didReceiveResponse(response);
    });
    pending = HttpResponse();
}

void HttpTransfer::queueData() {
    if (body_.empty()) {
        return;
    }
    undelivered_.fetch_add(body_.size());
    dataQueued_ = true;
    queue([this, chunk = std::move(body_)](HttpTaskDelegate& delegate) {
        delegate.didReceiveData(chunk);
        // The delivery lambda keeps the transfer alive while its events run.
        const std::size_t left = undelivered_.fetch_sub(chunk.size()) - chunk.size();
        if (paused_.load() && left < kMaxUndeliveredBytes / 2 && wakeNetwork_) {
            wakeNetwork_();
        }
    });
    body_.clear();
}

void HttpTransfer::queue(Event event) {
    if (!cancelled_.load(std::memory_order_relaxed)) {
        events_.push_back(std::move(event));
    }
}

void HttpTransfer::complete(int result) {
    queueData();
    Event last;
    if (result == CURLE_OK) {
        last = [](HttpTaskDelegate& delegate) { delegate.didFinish(); };
    } else {
        long osErrno = 0;
        if (easy_ != nullptr) {
            curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &osErrno);
        }
        HttpError error = CurlError::toHttpError(result, osErrno);
        last = [error](HttpTaskDelegate& delegate) { delegate.didFail(error); };
    }
    if (request_.bodyFile) {
        // The end is told once every byte of the body is in the file, by the file's writer.
        dispatch();
        ended_ = true;
        request_.bodyFile->finish([self = shared_from_this(), last = std::move(last)]() mutable {
            std::vector<Event> events;
            events.push_back(std::move(last));
            // Moved on: the writer keeps no reference, so the transfer ends where it is delivered.
            post(std::move(self), std::move(events), true);
        });
        return;
    }
    queue(std::move(last));
    ended_ = true;
    dispatch();
}

void HttpTransfer::dispatchProgress() {
    if (!request_.bodyFile && body_.empty() && !dataQueued_) {
        return;
    }
    dispatch();
}

void HttpTransfer::dispatch() {
    queueData();
    dataQueued_ = false;
    if (events_.empty() || cancelled_.load(std::memory_order_relaxed)) {
        events_.clear();
        return;
    }
    post(shared_from_this(), std::move(events_), ended_);
    events_.clear();
}

void HttpTransfer::post(std::shared_ptr<HttpTransfer> transfer, std::vector<Event> events, bool ended) {
    if (transfer->cancelled_.load()) {
        return;
    }
    RunLoop& deliverOn = transfer->deliverOn_;
    deliverOn.post([self = std::move(transfer), events = std::move(events), ended] {
        for (std::size_t i = 0; i < events.size(); ++i) {
            // A callback may have cancelled the transfer: nothing more then.
            if (self->cancelled_.load()) {
                return;
            }
            // A local reference keeps the delegate alive through its own callback,
            // even when the callback cancels the transfer.
            std::shared_ptr<HttpTaskDelegate> delegate = self->delegate_;
            if (ended && i + 1 == events.size()) {
                self->cancelled_.store(true);
                self->delegate_.reset();
                self->registry_->remove(self->id_);
            }
            if (delegate) {
                events[i](*delegate);
            }
        }
    });
}

void HttpTransfer::resumeIfCaughtUp() {
    const bool caughtUp = request_.bodyFile ? request_.bodyFile->canResume()
                                            : undelivered_.load() < kMaxUndeliveredBytes / 2;
    if (easy_ != nullptr && paused_.load() && caughtUp) {
        paused_.store(false);
        curl_easy_pause(easy_, CURLPAUSE_CONT);
    }
}

void HttpTransfer::cancel() {
    cancelled_.store(true);
    delegate_.reset();
}

void HttpTransfer::abandon(const std::shared_ptr<HttpTransfer>& transfer) {
    transfer->cancelled_.store(true);
    transfer->deliverOn_.post([transfer] { transfer->cancel(); });
}

}  // namespace platform
