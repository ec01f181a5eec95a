#pragma once

#include <string>

// The "User-Agent" of every HTTPRequest: application name and version, device model, system
// name and version, locale, as "Name Version (Model; System SystemVersion; Locale)".
class HTTPUserAgent {
public:
    // Built once per process, on first use.
    static const std::string& defaultUserAgent();
    static std::string build(const std::string& appName, const std::string& shortVersion,
                             const std::string& buildVersion, const std::string& model,
                             const std::string& systemName, const std::string& systemVersion,
                             const std::string& locale);
};
