#pragma once

#include "MediaLibrary.h"
#include "MediaVersions.h"
#include "RequestCounter.h"
#include "SiteAddress.h"
#include "TransferSwitches.h"

#include <httplib.h>

#include <chrono>
#include <stop_token>

namespace qelvo::demo {

// Serves pictures and videos: byte ranges (206, "Content-Range", 416), "ETag" and
// "Last-Modified" validators with "If-Range" and "If-None-Match", and the transfer
// switches of the query (slow, stalled, dropped, refused, redirected, gzip, ...).
class MediaEndpoint {
public:
    static constexpr std::uint64_t kMaxGzipSize = 64ULL * 1024 * 1024;

    MediaEndpoint(const MediaLibrary& library, const MediaVersions& versions, RequestCounter& counter,
                  std::chrono::milliseconds stallCap);

    void handle(const httplib::Request& request, httplib::Response& response, const SiteAddress& site,
                std::stop_token stop) const;

    // The address of the next hop of a redirect chain ("redirects" one lower, gone at 0).
    static std::string nextRedirectTarget(const std::string& target, int remaining);

private:
    bool redirect(const httplib::Request& request, httplib::Response& response, const SiteAddress& site,
                  const TransferSwitches& switches) const;
    void serve(const httplib::Request& request, httplib::Response& response,
               std::shared_ptr<const ByteSource> source, const TransferSwitches& switches,
               std::stop_token stop) const;

    const MediaLibrary& library_;
    const MediaVersions& versions_;
    RequestCounter& counter_;
    std::chrono::milliseconds stallCap_;
};

}  // namespace qelvo::demo
