// Response heads as a download reads them: the lines libcurl hands over, read into a
// status and headers, then the byte counts, the range of a partial answer and the
// validator a later resume sends back.

#include "Library/HTTPRequest/DownloadResponsePlan.h"
#include "Library/HTTPRequest/HTTPResponseHeaders.h"
#include "platform/net/HttpHeaderReader.h"
#include "tests/fuzz/support/FuzzBytes.h"

#include <cstdint>
#include <cstdlib>

namespace {

// As the request hands the headers to its delegate: one entry per name, repeated
// headers joined.
HTTPHeaders headerMap(const platform::HttpHeaders& headers) {
    HTTPHeaders map;
    for (const auto& [name, value] : headers) {
        auto [it, inserted] = map.emplace(name, value);
        if (!inserted) {
            it->second += ", " + value;
        }
    }
    return map;
}

void readAsADownloadDoes(const platform::HttpResponse& response) {
    if (response.status < 0 || response.status > 999) std::abort();
    const long long length = response.expectedContentLength();
    if (length < -1) std::abort();
    (void)response.header("Content-Encoding");
    const HTTPHeaders headers = headerMap(response.headers);
    if (auto range = HTTPResponseHeaders::find(headers, "Content-Range")) {
        auto parsed = HTTPResponseHeaders::parseContentRange(*range);
        if (parsed && parsed->first && parsed->last && *parsed->first > *parsed->last) std::abort();
    }
    if (auto declared = HTTPResponseHeaders::find(headers, "Content-Length")) {
        (void)HTTPResponseHeaders::parseByteCount(*declared);
    }
    (void)HTTPResponseHeaders::validator(headers);
    const std::string* location = response.header("Location");
    const bool hasLocation = location != nullptr && !location->empty();
    // The same head against a fresh start and against partial files of a few sizes.
    for (std::uint64_t partial : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{1000}, std::uint64_t{1} << 40}) {
        const bool sentRange = partial > 0;
        const auto plan = DownloadResponsePlan::forResponse(response.status, headers, hasLocation, partial, sentRange);
        // Only bytes the partial file holds may be kept, and a skip never reaches past them.
        if (plan.keep > partial) std::abort();
        if (plan.kind == DownloadResponsePlan::Kind::File && plan.promisedSize && *plan.promisedSize < plan.keep) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes = qelvo::fuzz::bytesOf(data, size);
    platform::HttpHeaderReader reader;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end == std::string_view::npos ? bytes.size() : end + 1);
        bytes.remove_prefix(line.size());
        if (reader.readLine(line)) {
            readAsADownloadDoes(reader.response());
        }
    }
    return 0;
}
