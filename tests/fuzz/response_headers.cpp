// Response heads as a download reads them: the lines libcurl hands over, read into a
// status and headers, then the byte counts, the range of a partial answer and the
// validator a later resume sends back.

#include "Library/HTTPRequest/HTTPResponseHeaders.h"
#include "platform/foundation/Json.h"
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
    (void)response.header("Location");
    (void)response.header("Content-Encoding");
    const HTTPHeaders headers = headerMap(response.headers);
    if (auto range = HTTPResponseHeaders::headerValue(headers, "Content-Range")) {
        (void)HTTPResponseHeaders::contentRangeStart(*range);
        (void)HTTPResponseHeaders::unsatisfiedRangeTotal(*range);
    }
    if (auto declared = HTTPResponseHeaders::headerValue(headers, "Content-Length")) {
        (void)platform::Json::longLongValue(*declared);
    }
    (void)HTTPResponseHeaders::validatorOf(headers);
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
