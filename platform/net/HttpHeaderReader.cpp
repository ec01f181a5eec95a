#include "platform/net/HttpHeaderReader.h"

#include <charconv>
#include <string>

namespace platform {

namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// "HTTP/1.1 206 Partial Content" and "HTTP/2 200": the code after the first space.
int statusOf(std::string_view statusLine) {
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos) {
        return 0;
    }
    const std::string_view code = statusLine.substr(space + 1, 3);
    int status = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), status);
    return error == std::errc() && end == code.data() + code.size() && code.size() == 3 && status >= 0
               ? status
               : 0;
}

}  // namespace

bool HttpHeaderReader::readLine(std::string_view line) {
    if (line.substr(0, 5) == "HTTP/") {
        // A status line opens a new header block.
        response_ = HttpResponse();
        response_.status = statusOf(trim(line));
        inBlock_ = true;
        return false;
    }
    if (!inBlock_) {
        return false;
    }
    const std::string_view content = trim(line);
    if (content.empty()) {
        inBlock_ = false;
        return true;
    }
    if ((line.front() == ' ' || line.front() == '\t') && !response_.headers.empty()) {
        // An obsolete folded line continues the previous value.
        response_.headers.back().second += " ";
        response_.headers.back().second += content;
        return false;
    }
    const std::size_t colon = content.find(':');
    if (colon != std::string_view::npos) {
        response_.headers.emplace_back(std::string(trim(content.substr(0, colon))),
                                       std::string(trim(content.substr(colon + 1))));
    }
    return false;
}

}  // namespace platform
