#pragma once

#include "platform/net/HttpSession.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

namespace platform {

class HttpTransfer;

// The transfers whose outcome has not yet reached their delivery thread, by id.
// Entries are weak: the network thread and the queued events own a transfer, and
// an entry only lets cancel() find it.
class HttpTransferRegistry {
public:
    void add(HttpTaskId id, const std::shared_ptr<HttpTransfer>& transfer);
    // Removes the entry and returns the transfer when it still exists.
    std::shared_ptr<HttpTransfer> take(HttpTaskId id);
    void remove(HttpTaskId id);
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::map<HttpTaskId, std::weak_ptr<HttpTransfer>> transfers_;
};

}  // namespace platform
