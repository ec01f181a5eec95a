#include "service/ServiceEndpoint.h"

#include <cstdlib>
#include <mutex>

namespace {

std::mutex& hostMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& configuredHost() {
    static std::string host;
    return host;
}

}  // namespace

std::string ServiceEndpoint::host() {
    {
        std::lock_guard lock(hostMutex());
        if (!configuredHost().empty()) {
            return configuredHost();
        }
    }
    const char* fromEnvironment = std::getenv(kHostEnvironmentVariable);
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return fromEnvironment;
    }
    return kDefaultHost;
}

void ServiceEndpoint::setHost(const std::string& host) {
    std::lock_guard lock(hostMutex());
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
