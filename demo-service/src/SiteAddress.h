#pragma once

#include <httplib.h>

#include <string>
#include <string_view>

namespace qelvo::demo {

// The "http://host:port" that this request reached, taken from its Host header, so
// that every picture, page and video address in a reply works on whatever port and
// address the client used.
class SiteAddress {
public:
    explicit SiteAddress(std::string origin);

    // `fallbackHost` ("127.0.0.1:8080") is used when the Host header is missing or odd.
    static SiteAddress fromRequest(const httplib::Request& request, const std::string& fallbackHost);

    const std::string& origin() const { return origin_; }
    std::string url(std::string_view path) const;      // path starting with "/"
    std::string picture(std::string_view name) const;  // below "/pics/"
    std::string video(std::string_view name) const;    // below "/videos/"

    static bool isPlausibleHost(std::string_view host);

private:
    std::string origin_;
};

}  // namespace qelvo::demo
