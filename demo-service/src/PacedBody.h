#pragma once

#include "ByteSource.h"

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace qelvo::demo {

// Sends one response body piece by piece, as slowly, haltingly or incompletely as the
// transfer switches ask: at most `rate` bytes a second, a pause after `stallAfter`
// bytes, the connection closed after `dropAfter` bytes. Every wait ends at shutdown.
// Each piece the connection accepted is told to `sent` (the transfer tally).
class PacedBody {
public:
    enum class Framing {
        Known,           // Content-Length was sent; the server stops asking at the end
        Chunked,         // chunked transfer: the end is signalled to the sink
        CloseDelimited,  // neither: the end is the closing of the connection
    };

    struct Plan {
        std::uint64_t rate = 0;
        std::optional<std::uint64_t> stallAfter;
        std::chrono::milliseconds stallFor{0};
        std::optional<std::uint64_t> dropAfter;
    };

    PacedBody(std::shared_ptr<const ByteSource> source, std::uint64_t start, std::uint64_t length, Plan plan,
              Framing framing, std::function<void(std::uint64_t)> sent, std::stop_token stop);

    // Writes the piece that starts `sent` bytes into the body; false closes the connection.
    bool writeNext(std::uint64_t sent, httplib::DataSink& sink);

    std::uint64_t length() const { return length_; }

    static constexpr std::size_t kPieceSize = std::size_t{64} * 1024;

private:
    bool pace(std::uint64_t sent, std::uint64_t& piece);

    std::shared_ptr<const ByteSource> source_;
    std::uint64_t start_;
    std::uint64_t length_;
    Plan plan_;
    Framing framing_;
    std::function<void(std::uint64_t)> sent_;
    std::stop_token stop_;
    bool stalled_ = false;
    std::optional<std::chrono::steady_clock::time_point> paceOrigin_;
};

}  // namespace qelvo::demo
