#include "MediaEndpoint.h"

#include "ByteRange.h"
#include "Clock.h"
#include "ErrorPage.h"
#include "Gzip.h"
#include "InterruptibleSleep.h"
#include "MemoryByteSource.h"
#include "PacedBody.h"

#include <fmt/format.h>

#include <algorithm>

namespace qelvo::demo {

namespace {

void sendError(httplib::Response& response, int status, std::string_view detail = {}) {
    response.status = status;
    response.set_content(ErrorPage::render(status, detail), "text/html; charset=utf-8");
}

// "If-Range" holds either an entity tag (strong comparison) or a date (exact match).
bool validatorMatches(const std::string& condition, const ByteSource& source) {
    if (condition.empty()) return true;
    if (condition.front() == '"' || condition.rfind("W/", 0) == 0) return condition == source.etag();
    return condition == Clock::httpDate(source.lastModified());
}

void sendRedirect(httplib::Response& response, int status, const std::string& location) {
    response.status = status;
    response.set_header("Location", location);
    response.set_content(ErrorPage::render(status, location), "text/html; charset=utf-8");
}

bool noneMatch(const std::string& condition, const ByteSource& source) {
    if (condition.empty()) return false;
    if (condition == "*") return true;
    return condition.find(source.etag()) != std::string::npos;
}

}  // namespace

MediaEndpoint::MediaEndpoint(const MediaLibrary& library, Shared shared, std::chrono::milliseconds stallCap)
    : library_(library), shared_(shared), stallCap_(stallCap) {}

std::optional<RandomFaults::Kind> MediaEndpoint::handle(const httplib::Request& request,
                                                        httplib::Response& response, const SiteAddress& site,
                                                        const std::stop_token& stop) const {
    std::string error;
    auto switches = TransferSwitches::fromRequest(request, error);
    if (!switches) {
        sendError(response, 400, error);
        return std::nullopt;
    }
    if (switches->windowed() && !switches->actsOn(shared_.counter.next(request.target)))
        switches = switches->wellBehaved();
    // Drawn on arrival, before any delay, so the draws follow the order of the requests.
    const auto fault = switches->faults > 0 ? shared_.faults.draw(switches->faults) : std::nullopt;

    if (switches->delay.count() > 0 && !InterruptibleSleep::sleepFor(stop, switches->delay)) {
        sendError(response, 503, "service stopping");
        return std::nullopt;
    }
    if (fault && fault->kind != RandomFaults::Kind::Drop) {
        if (fault->kind == RandomFaults::Kind::Redirect)
            sendRedirect(response, 302, site.url(request.target));
        else
            sendError(response, fault->kind == RandomFaults::Kind::Status500 ? 500 : 503);
        return fault->kind;
    }
    if (redirect(request, response, site, *switches)) return std::nullopt;
    if (switches->status) {
        sendError(response, *switches->status);
        return std::nullopt;
    }

    const int version = switches->version ? *switches->version : shared_.versions.versionOf(request.path);
    auto source = library_.open(request.path, version);
    if (!source) {
        sendError(response, 404, request.path);
        return std::nullopt;
    }
    if (switches->gzip) {
        if (source->size() > kMaxGzipSize) {
            sendError(response, 400, "gzip=1 is limited to files of 64 MiB");
            return std::nullopt;
        }
        std::string bytes;
        source->read(0, static_cast<std::size_t>(source->size()), bytes);
        auto packed = Gzip::compress(bytes);
        if (!packed) {
            sendError(response, 500, "gzip failed");
            return std::nullopt;
        }
        auto etag = source->etag();
        etag.insert(etag.size() - 1, "-gzip");
        source = std::make_shared<MemoryByteSource>(std::move(*packed), etag, source->lastModified(),
                                                    source->contentType());
        response.set_header("Content-Encoding", "gzip");
    }
    if (serve(request, response, source, *switches, fault, stop)) return RandomFaults::Kind::Drop;
    return std::nullopt;
}

bool MediaEndpoint::redirect(const httplib::Request& request, httplib::Response& response,
                             const SiteAddress& site, const TransferSwitches& switches) const {
    std::string location;
    if (switches.redirectLoop)
        location = site.url(request.target);
    else if (switches.redirects > 0)
        location = site.url(nextRedirectTarget(request.target, switches.redirects - 1));
    else
        return false;
    sendRedirect(response, switches.redirectStatus, location);
    return true;
}

std::string MediaEndpoint::nextRedirectTarget(const std::string& target, int remaining) {
    const auto question = target.find('?');
    if (question == std::string::npos) return target;
    std::string query;
    std::size_t start = question + 1;
    while (start <= target.size()) {
        auto end = target.find('&', start);
        if (end == std::string::npos) end = target.size();
        auto item = target.substr(start, end - start);
        if (item.rfind("redirects=", 0) == 0)
            item = remaining > 0 ? fmt::format("redirects={}", remaining) : std::string();
        if (!item.empty()) query += (query.empty() ? "" : "&") + item;
        start = end + 1;
    }
    return target.substr(0, question) + (query.empty() ? "" : "?" + query);
}

bool MediaEndpoint::serve(const httplib::Request& request, httplib::Response& response,
                          const std::shared_ptr<const ByteSource>& source, const TransferSwitches& switches,
                          const std::optional<RandomFaults::Fault>& fault,
                          const std::stop_token& stop) const {
    const auto size = source->size();
    response.set_header("Accept-Ranges", "bytes");
    response.set_header("ETag", source->etag());
    response.set_header("Last-Modified", Clock::httpDate(source->lastModified()));

    if (noneMatch(request.get_header_value("If-None-Match"), *source)) {
        response.status = 304;
        return false;
    }

    std::uint64_t start = 0;
    std::uint64_t length = size;
    bool partial = false;
    const auto rangeHeader = request.get_header_value("Range");
    // A changed validator in "If-Range" means the client's partial copy is stale: send it all.
    if (!rangeHeader.empty() && !switches.ignoreRange &&
        validatorMatches(request.get_header_value("If-Range"), *source)) {
        const auto range = ByteRange::parse(rangeHeader, size);
        if (range.kind == ByteRange::Kind::Unsatisfiable) {
            sendError(response, 416);
            response.set_header("Content-Range", fmt::format("bytes */{}", size));
            return false;
        }
        if (range.kind == ByteRange::Kind::Satisfiable) {
            start = range.first > switches.earlyStart ? range.first - switches.earlyStart : 0;
            // A late start that would pass the range's end is kept inside it.
            start = std::min(start + switches.lateStart, range.last);
            length = range.last - start + 1;
            partial = true;
        }
    }
    // A server may send less than was asked, as long as Content-Range says so truthfully.
    if (switches.shortRange && *switches.shortRange < length) {
        length = *switches.shortRange;
        partial = true;
    }
    response.status = partial ? 206 : 200;
    if (partial)
        response.set_header("Content-Range", fmt::format("bytes {}-{}/{}", start, start + length - 1, size));

    const auto type = source->contentType();
    if (length == 0 && switches.length == TransferSwitches::Length::Known) {
        response.set_content(std::string(), type);
        return false;
    }
    auto dropAfter = switches.dropAfter;
    const bool faultDrops =
        fault && fault->kind == RandomFaults::Kind::Drop && length > 0 && request.method != "HEAD";
    if (faultDrops) dropAfter = std::min(dropAfter.value_or(length), fault->dropAfter(length));
    const PacedBody::Plan plan{switches.rate, switches.stallAfter, switches.stallFor.value_or(stallCap_),
                               dropAfter};
    auto& tally = shared_.tally;
    auto counted = [&tally, path = request.path](std::uint64_t bytes) { tally.add(path, bytes); };
    switch (switches.length) {
        case TransferSwitches::Length::Known: {
            auto body = std::make_shared<PacedBody>(source, start, length, plan, PacedBody::Framing::Known,
                                                    counted, stop);
            response.set_content_provider(static_cast<std::size_t>(length), type,
                                          [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                              return body->writeNext(offset, sink);
                                          });
            break;
        }
        case TransferSwitches::Length::Chunked: {
            auto body = std::make_shared<PacedBody>(source, start, length, plan, PacedBody::Framing::Chunked,
                                                    counted, stop);
            response.set_chunked_content_provider(type, [body](std::size_t offset, httplib::DataSink& sink) {
                return body->writeNext(offset, sink);
            });
            break;
        }
        case TransferSwitches::Length::CloseDelimited: {
            auto body = std::make_shared<PacedBody>(source, start, length, plan,
                                                    PacedBody::Framing::CloseDelimited, counted, stop);
            response.set_header("Connection", "close");
            response.set_content_provider(type, [body](std::size_t offset, httplib::DataSink& sink) {
                return body->writeNext(offset, sink);
            });
            break;
        }
    }
    return faultDrops;
}

}  // namespace qelvo::demo
