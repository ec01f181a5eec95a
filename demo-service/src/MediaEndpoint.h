#pragma once

#include "MediaLibrary.h"
#include "MediaVersions.h"
#include "RandomFaults.h"
#include "RequestCounter.h"
#include "SiteAddress.h"
#include "TransferSwitches.h"
#include "TransferTally.h"

#include <httplib.h>

#include <chrono>
#include <stop_token>

namespace qelvo::demo {

// Serves pictures and videos: byte ranges (206, "Content-Range", 416), "ETag" and
// "Last-Modified" validators with "If-Range" and "If-None-Match", and the transfer
// switches of the query (slow, stalled, dropped, refused, redirected, gzip, random faults,
// ...). The body bytes handed to each connection are added to the transfer tally.
class MediaEndpoint {
public:
    static constexpr std::uint64_t kMaxGzipSize = 64ULL * 1024 * 1024;

    struct Shared {
        const MediaVersions& versions;
        RequestCounter& counter;  // requests per address, for "times" and "from"
        RandomFaults& faults;     // the draws of "faults"
        TransferTally& tally;     // body bytes sent per path
    };

    MediaEndpoint(const MediaLibrary& library, Shared shared, std::chrono::milliseconds stallCap);

    // Answers one request; returns the fault injected into it by "faults=P", if any.
    std::optional<RandomFaults::Kind> handle(const httplib::Request& request, httplib::Response& response,
                                             const SiteAddress& site, const std::stop_token& stop) const;

    // The address of the next hop of a redirect chain ("redirects" one lower, gone at 0).
    static std::string nextRedirectTarget(const std::string& target, int remaining);

private:
    bool redirect(const httplib::Request& request, httplib::Response& response, const SiteAddress& site,
                  const TransferSwitches& switches) const;
    // Sends the file; true when a drawn drop fault cut its body short.
    bool serve(const httplib::Request& request, httplib::Response& response,
               const std::shared_ptr<const ByteSource>& source, const TransferSwitches& switches,
               const std::optional<RandomFaults::Fault>& fault, const std::stop_token& stop) const;

    const MediaLibrary& library_;
    Shared shared_;
    std::chrono::milliseconds stallCap_;
};

}  // namespace qelvo::demo
