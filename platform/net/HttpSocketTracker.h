#pragma once

#include <map>
#include <utility>

typedef void CURL;

namespace platform {

// Knows the sockets of the session's connections so that a transfer can have the
// headers it just received acknowledged at once. Many small servers write a
// reply's headers and its body separately with Nagle's algorithm on; on a
// kept-alive connection in interactive mode the kernel delays that acknowledgement
// by about 40 ms, and the body waits for it. Network thread only.
class HttpSocketTracker {
public:
    // Makes curl open and close the transfer's sockets through the tracker.
    void install(CURL* easy);
    // Sends the pending acknowledgement on the connection `easy` uses now.
    void acknowledgeNow(CURL* easy);

    void opened(int socket);
    void closed(int socket);

private:
    // Local and remote port of a connected socket; zeros until it is connected.
    std::pair<long, long> ports(int socket);

    std::map<int, std::pair<long, long>> sockets_;
};

} // namespace platform
