#include "Library/HTTPRequest/HTTPUserAgent.h"

#include "platform/ui/Application.h"

#include <fmt/format.h>

namespace {

constexpr const char* kAppName = "Qelvo";
constexpr const char* kShortVersion = "1.0";
constexpr const char* kBuildVersion = "1.0";
constexpr const char* kDeviceModel = "iPhone";
constexpr const char* kSystemName = "iPhone OS";
constexpr const char* kLocale = "zh_CN";

}  // namespace

const std::string& HTTPUserAgent::defaultUserAgent() {
    static const std::string agent = build(kAppName, kShortVersion, kBuildVersion, kDeviceModel, kSystemName,
                                           platform::Application::shared().systemVersion(), kLocale);
    return agent;
}

std::string HTTPUserAgent::build(const std::string& appName, const std::string& shortVersion,
                                 const std::string& buildVersion, const std::string& model,
                                 const std::string& systemName, const std::string& systemVersion,
                                 const std::string& locale) {
    // A build number that differs from the marketing version is shown after it.
    const std::string version =
        shortVersion == buildVersion ? shortVersion : fmt::format("{} rv:{}", shortVersion, buildVersion);
    return fmt::format("{} {} ({}; {} {}; {})", appName, version, model, systemName, systemVersion, locale);
}
