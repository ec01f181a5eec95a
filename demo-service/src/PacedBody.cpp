#include "PacedBody.h"

#include "InterruptibleSleep.h"

#include <algorithm>

namespace qelvo::demo {

using std::chrono::steady_clock;

PacedBody::PacedBody(std::shared_ptr<const ByteSource> source, std::uint64_t start, std::uint64_t length,
                     Plan plan, Framing framing, std::function<void(std::uint64_t)> sent,
                     std::stop_token stop)
    : source_(std::move(source)),
      start_(start),
      length_(length),
      plan_(plan),
      framing_(framing),
      sent_(std::move(sent)),
      stop_(std::move(stop)) {}

bool PacedBody::writeNext(std::uint64_t sent, httplib::DataSink& sink) {
    if (stop_.stop_requested()) return false;
    if (plan_.dropAfter && sent >= *plan_.dropAfter) return false;
    if (sent >= length_) {
        if (framing_ == Framing::CloseDelimited) return false;  // closing the connection ends the body
        sink.done();
        return true;
    }
    if (plan_.stallAfter && !stalled_ && sent >= *plan_.stallAfter) {
        stalled_ = true;
        if (!InterruptibleSleep::sleepFor(stop_, plan_.stallFor)) return false;
        paceOrigin_.reset();  // the rate counts again from the end of the stall
    }

    std::uint64_t piece = std::min<std::uint64_t>(length_ - sent, kPieceSize);
    // Stop exactly at the byte where the next misbehaviour begins.
    if (plan_.dropAfter) piece = std::min(piece, *plan_.dropAfter - sent);
    if (plan_.stallAfter && !stalled_) piece = std::min(piece, *plan_.stallAfter - sent);
    if (!pace(sent, piece)) return false;

    std::string bytes;
    source_->read(start_ + sent, static_cast<std::size_t>(piece), bytes);
    if (!sink.write(bytes.data(), bytes.size())) return false;
    if (sent_) sent_(bytes.size());
    return true;
}

bool PacedBody::pace(std::uint64_t sent, std::uint64_t& piece) {
    if (plan_.rate == 0) return true;
    // About twenty writes a second, each sent when the average rate allows it.
    piece = std::max<std::uint64_t>(1, std::min(piece, plan_.rate / 20));
    const auto now = steady_clock::now();
    if (!paceOrigin_) paceOrigin_ = now - std::chrono::microseconds(sent * 1000000 / plan_.rate);
    const auto due = *paceOrigin_ + std::chrono::microseconds(sent * 1000000 / plan_.rate);
    return due <= now || InterruptibleSleep::sleepUntil(stop_, due);
}

}  // namespace qelvo::demo
