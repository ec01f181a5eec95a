#include "platform/net/HttpSocketTracker.h"

#include <curl/curl.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

curl_socket_t openSocket(void* tracker, curlsocktype, curl_sockaddr* address) {
    curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
    if (socket != CURL_SOCKET_BAD) {
        static_cast<HttpSocketTracker*>(tracker)->opened(socket);
    }
    return socket;
}

int closeSocket(void* tracker, curl_socket_t socket) {
    static_cast<HttpSocketTracker*>(tracker)->closed(socket);
    return ::close(socket);
}

long portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    }
    return 0;
}

} // namespace

void HttpSocketTracker::install(CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
}

void HttpSocketTracker::opened(int socket) { sockets_[socket] = {0, 0}; }

void HttpSocketTracker::closed(int socket) { sockets_.erase(socket); }

std::pair<long, long> HttpSocketTracker::ports(int socket) {
    std::pair<long, long>& known = sockets_[socket];
    if (known.first == 0 || known.second == 0) {
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
            ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0) {
            known = {portOf(local), portOf(peer)};
        }
    }
    return known;
}

void HttpSocketTracker::acknowledgeNow(CURL* easy) {
    // While a transfer runs curl tells its connection's ports, not its socket.
    long localPort = 0;
    long remotePort = 0;
    if (curl_easy_getinfo(easy, CURLINFO_LOCAL_PORT, &localPort) != CURLE_OK ||
        curl_easy_getinfo(easy, CURLINFO_PRIMARY_PORT, &remotePort) != CURLE_OK ||
        localPort <= 0) {
        return;
    }
    for (auto& entry : sockets_) {
        if (ports(entry.first) == std::make_pair(localPort, remotePort)) {
            int on = 1;
            ::setsockopt(entry.first, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
            return;
        }
    }
}

} // namespace platform
