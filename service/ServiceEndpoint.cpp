#include "service/ServiceEndpoint.h"

#include "platform/foundation/Environment.h"

namespace {

std::string& configuredHost() {
    static std::string host;
    return host;
}

}  // namespace

std::string ServiceEndpoint::host() {
    if (!configuredHost().empty()) {
        return configuredHost();
    }
    return platform::Environment::value(kHostEnvironmentVariable).value_or(kDefaultHost);
}

void ServiceEndpoint::setHost(const std::string& host) {
    configuredHost() = host;
}

std::string ServiceEndpoint::urlForPath(const std::string& path) {
    return "http://" + host() + path;
}

std::string ServiceEndpoint::serviceUrl() {
    return urlForPath(kServicePath);
}

std::string ServiceEndpoint::feedbackPageUrl(const std::string& userId) {
    if (userId.empty()) {
        return urlForPath(kFeedbackPagePath);
    }
    return urlForPath(std::string(kFeedbackPagePath) + "?userId=" + userId);
}

std::string ServiceEndpoint::aboutPageUrl() {
    return urlForPath(kAboutPagePath);
}

std::string ServiceEndpoint::contactPageUrl() {
    return urlForPath(kContactPagePath);
}
