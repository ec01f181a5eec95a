#include "Library/HTTPRequest/DownloadResponsePlan.h"

#include "Library/HTTPRequest/HTTPResponseHeaders.h"

namespace {

constexpr int kOK = 200;
constexpr int kPartialContent = 206;
constexpr int kRangeNotSatisfiable = 416;

DownloadResponsePlan planOf(DownloadResponsePlan::Kind kind) {
    DownloadResponsePlan plan;
    plan.kind = kind;
    return plan;
}

}  // namespace

DownloadResponsePlan DownloadResponsePlan::forResponse(int status, const HTTPHeaders& headers, bool hasLocation,
                                                       std::uint64_t partialSize, bool sentRange) {
    if (HTTPResponseHeaders::isRedirectStatus(status) && hasLocation) {
        return planOf(Kind::Redirect);
    }
    // "Content-Range": the first byte, and the total when the server names it.
    std::optional<std::uint64_t> rangeFirst;
    std::optional<std::uint64_t> rangeTotal;
    if (const auto text = HTTPResponseHeaders::find(headers, "Content-Range")) {
        if (const auto range = HTTPResponseHeaders::parseContentRange(*text)) {
            rangeFirst = range->first;
            rangeTotal = range->total;
        }
    }
    const std::uint64_t continueFrom = sentRange ? partialSize : 0;

    if (status == kOK) {
        DownloadResponsePlan plan = planOf(Kind::File);
        if (const auto length = HTTPResponseHeaders::find(headers, "Content-Length")) {
            plan.promisedSize = HTTPResponseHeaders::parseByteCount(*length);
        }
        return plan;
    }
    if (status == kPartialContent) {
        // Bytes are only ever placed where they belong: a range that starts inside the partial
        // file skips what is already there; one that starts past its end cannot be joined to it.
        // A total below the partial file's size means the partial file belongs to another version.
        if (!rangeFirst || *rangeFirst > continueFrom || (rangeTotal && *rangeTotal < continueFrom)) {
            return planOf(sentRange ? Kind::RestartFromFirstByte : Kind::Unusable);
        }
        DownloadResponsePlan plan = planOf(Kind::File);
        plan.keep = continueFrom;
        plan.skip = continueFrom - *rangeFirst;
        plan.promisedSize = rangeTotal;
        return plan;
    }
    if (status == kRangeNotSatisfiable && sentRange) {
        if (!rangeFirst && rangeTotal == partialSize) {
            DownloadResponsePlan plan = planOf(Kind::AlreadyWhole);
            plan.keep = partialSize;
            plan.promisedSize = partialSize;
            return plan;
        }
        // The partial file is longer than the file now is: it belongs to another version.
        return planOf(Kind::RestartFromFirstByte);
    }
    return planOf(Kind::Error);
}
