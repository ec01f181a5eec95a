#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

class HTTPRequest;

// The shared queue of started requests: at most kMaxConcurrent run at once, the others wait in
// the order they were started. It keeps running and waiting requests alive. Main thread only.
class HTTPRequestQueue {
public:
    static constexpr std::size_t kMaxConcurrent = 4;

    static HTTPRequestQueue& shared();

    void add(const std::shared_ptr<HTTPRequest>& request);
    // The request ended (finished, failed or cancelled), running or still waiting.
    void remove(const HTTPRequest& request);
    std::size_t runningCount() const { return running_.size(); }
    std::size_t waitingCount() const { return waiting_.size(); }

private:
    void startWaiting();

    std::vector<std::shared_ptr<HTTPRequest>> running_;
    std::deque<std::shared_ptr<HTTPRequest>> waiting_;
};
