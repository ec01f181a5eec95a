#pragma once

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace qelvo::demo {

// The query parameters that make a picture or video transfer misbehave on purpose.
// Byte counts ("stallAfter", "dropAfter") count body bytes of this response.
struct TransferSwitches {
    enum class Length { Known, Chunked, CloseDelimited };

    std::optional<int> status;                          // status=403: that status with an HTML error page
    std::uint64_t rate = 0;                             // rate=N: at most N body bytes per second
    std::optional<std::uint64_t> stallAfter;            // stallAfter=N: send N bytes, then nothing ...
    std::optional<std::chrono::milliseconds> stallFor;  // stallMs=M: ... for M ms (default: the stall cap)
    std::optional<std::uint64_t> dropAfter;             // dropAfter=N: close the connection after N bytes
    bool ignoreRange = false;            // ignoreRange=1: 200 with the whole file despite Range
    std::uint64_t earlyStart = 0;        // earlyStart=N: a 206 that starts N bytes before the asked start
    std::uint64_t lateStart = 0;         // lateStart=N: a 206 that starts N bytes after the asked start
    Length length = Length::Known;       // noLength=1|chunked: chunked; noLength=close: close-delimited
    bool gzip = false;                   // gzip=1: Content-Encoding gzip (ranges apply to the gzip bytes)
    int redirects = 0;                   // redirects=N: N redirects before the file
    bool redirectLoop = false;           // redirectLoop=1: redirect to the same address forever
    int redirectStatus = 302;            // redirectStatus=301|302|303|307|308
    std::optional<int> version;          // version=K: serve version K of the file
    std::chrono::milliseconds delay{0};  // delay=M: wait M ms before the response
    std::optional<std::uint64_t> times;  // times=N: misbehave for N requests of this address only ...
    std::optional<std::uint64_t> from;   // from=N: ... starting at its N-th request (default: the first)
    std::optional<std::uint64_t> shortRange;  // shortRange=N: a truthful 206 of N bytes from the asked start
    unsigned faults = 0;  // faults=P: P % of requests fail at random (500, 503, self-redirect, drop)

    // Reads the switches of a request; a malformed value is an error, told in `error`.
    static std::optional<TransferSwitches> fromRequest(const httplib::Request& request, std::string& error);

    // Whether the switches act only on some requests of the address ("times", "from"), which must be counted.
    bool windowed() const { return times.has_value() || from.has_value(); }
    // Whether the `nth` request of the address (counting from 1) lies in the "from"/"times" window.
    bool actsOn(std::uint64_t nth) const;

    // The same switches without any misbehaviour (the version stays): what a request outside the window gets.
    TransferSwitches wellBehaved() const;
};

}  // namespace qelvo::demo
