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

bool noneMatch(const std::string& condition, const ByteSource& source) {
    if (condition.empty()) return false;
    if (condition == "*") return true;
    return condition.find(source.etag()) != std::string::npos;
}

}  // namespace

MediaEndpoint::MediaEndpoint(const MediaLibrary& library, const MediaVersions& versions,
                             RequestCounter& counter, std::chrono::milliseconds stallCap)
    : library_(library), versions_(versions), counter_(counter), stallCap_(stallCap) {}

void MediaEndpoint::handle(const httplib::Request& request, httplib::Response& response,
                           const SiteAddress& site, std::stop_token stop) const {
    std::string error;
    auto switches = TransferSwitches::fromRequest(request, error);
    if (!switches) {
        sendError(response, 400, error);
        return;
    }
    if (switches->times && counter_.next(request.target) > *switches->times)
        switches = switches->wellBehaved();

    if (switches->delay.count() > 0 && !InterruptibleSleep::sleepFor(stop, switches->delay)) {
        sendError(response, 503, "service stopping");
        return;
    }
    if (redirect(request, response, site, *switches)) return;
    if (switches->status) {
        sendError(response, *switches->status);
        return;
    }

    const int version = switches->version ? *switches->version : versions_.versionOf(request.path);
    auto source = library_.open(request.path, version);
    if (!source) {
        sendError(response, 404, request.path);
        return;
    }
    if (switches->gzip) {
        if (source->size() > kMaxGzipSize) {
            sendError(response, 400, "gzip=1 is limited to files of 64 MiB");
            return;
        }
        std::string bytes;
        source->read(0, static_cast<std::size_t>(source->size()), bytes);
        auto packed = Gzip::compress(bytes);
        if (!packed) {
            sendError(response, 500, "gzip failed");
            return;
        }
        auto etag = source->etag();
        etag.insert(etag.size() - 1, "-gzip");
        source = std::make_shared<MemoryByteSource>(std::move(*packed), etag, source->lastModified(),
                                                    source->contentType());
        response.set_header("Content-Encoding", "gzip");
    }
    serve(request, response, std::move(source), *switches, stop);
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
    response.status = switches.redirectStatus;
    response.set_header("Location", location);
    response.set_content(ErrorPage::render(switches.redirectStatus, location), "text/html; charset=utf-8");
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

void MediaEndpoint::serve(const httplib::Request& request, httplib::Response& response,
                          std::shared_ptr<const ByteSource> source, const TransferSwitches& switches,
                          std::stop_token stop) const {
    const auto size = source->size();
    response.set_header("Accept-Ranges", "bytes");
    response.set_header("ETag", source->etag());
    response.set_header("Last-Modified", Clock::httpDate(source->lastModified()));

    if (noneMatch(request.get_header_value("If-None-Match"), *source)) {
        response.status = 304;
        return;
    }

    std::uint64_t start = 0;
    std::uint64_t length = size;
    response.status = 200;
    const auto rangeHeader = request.get_header_value("Range");
    // A changed validator in "If-Range" means the client's partial copy is stale: send it all.
    if (!rangeHeader.empty() && !switches.ignoreRange &&
        validatorMatches(request.get_header_value("If-Range"), *source)) {
        const auto range = ByteRange::parse(rangeHeader, size);
        if (range.kind == ByteRange::Kind::Unsatisfiable) {
            sendError(response, 416);
            response.set_header("Content-Range", fmt::format("bytes */{}", size));
            return;
        }
        if (range.kind == ByteRange::Kind::Satisfiable) {
            start = range.first > switches.earlyStart ? range.first - switches.earlyStart : 0;
            // A late start that would pass the range's end is kept inside it.
            start = std::min(start + switches.lateStart, range.last);
            length = range.last - start + 1;
            response.status = 206;
            response.set_header("Content-Range", fmt::format("bytes {}-{}/{}", start, range.last, size));
        }
    }

    const auto type = source->contentType();
    if (length == 0 && switches.length == TransferSwitches::Length::Known) {
        response.set_content(std::string(), type);
        return;
    }
    const PacedBody::Plan plan{switches.rate, switches.stallAfter, switches.stallFor.value_or(stallCap_),
                               switches.dropAfter};
    switch (switches.length) {
        case TransferSwitches::Length::Known: {
            auto body =
                std::make_shared<PacedBody>(source, start, length, plan, PacedBody::Framing::Known, stop);
            response.set_content_provider(static_cast<std::size_t>(length), type,
                                          [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                              return body->writeNext(offset, sink);
                                          });
            break;
        }
        case TransferSwitches::Length::Chunked: {
            auto body =
                std::make_shared<PacedBody>(source, start, length, plan, PacedBody::Framing::Chunked, stop);
            response.set_chunked_content_provider(type, [body](std::size_t offset, httplib::DataSink& sink) {
                return body->writeNext(offset, sink);
            });
            break;
        }
        case TransferSwitches::Length::CloseDelimited: {
            auto body = std::make_shared<PacedBody>(source, start, length, plan,
                                                    PacedBody::Framing::CloseDelimited, stop);
            response.set_header("Connection", "close");
            response.set_content_provider(type, [body](std::size_t offset, httplib::DataSink& sink) {
                return body->writeNext(offset, sink);
            });
            break;
        }
    }
}

}  // namespace qelvo::demo
