#include "SiteAddress.h"

namespace qelvo::demo {

SiteAddress::SiteAddress(std::string origin) : origin_(std::move(origin)) {}

SiteAddress SiteAddress::fromRequest(const httplib::Request& request, const std::string& fallbackHost) {
    const auto host = request.get_header_value("Host");
    return SiteAddress("http://" + (isPlausibleHost(host) ? host : fallbackHost));
}

std::string SiteAddress::url(std::string_view path) const {
    return origin_ + std::string(path);
}

std::string SiteAddress::picture(std::string_view name) const {
    return origin_ + "/pics/" + std::string(name);
}

std::string SiteAddress::video(std::string_view name) const {
    return origin_ + "/videos/" + std::string(name);
}

// The Host header ends up inside JSON and HTML, so only host-name characters pass.
bool SiteAddress::isPlausibleHost(std::string_view host) {
    if (host.empty() || host.size() > 255) return false;
    for (const char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '.' || c == '-' || c == ':' || c == '[' || c == ']' || c == '_';
        if (!ok) return false;
    }
    return true;
}

}  // namespace qelvo::demo
