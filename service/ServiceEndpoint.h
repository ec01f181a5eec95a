#pragma once

#include <string>

// Where the service lives: the host is a setting (flag --service-host, else the
// environment's QELVO_SERVICE_HOST, else the demo service on this machine); the
// scheme and the paths are fixed.
class ServiceEndpoint {
public:
    static constexpr const char* kDefaultHost = "127.0.0.1:8080";
    static constexpr const char* kHostEnvironmentVariable = "QELVO_SERVICE_HOST";
    static constexpr const char* kServicePath = "/wcm/qelvo/app/index.aspx";
    static constexpr const char* kFeedbackPagePath = "/wcm/qelvo/app/yijian.aspx";
    static constexpr const char* kAboutPagePath = "/wcm/qelvo/app/GuanYuWoMen.aspx";
    static constexpr const char* kContactPagePath = "/wcm/qelvo/app/LianXiWoMen.aspx";

    // "HOST:PORT" as in use now.
    static std::string host();
    // The value of --service-host; an empty text goes back to the environment or default.
    static void setHost(const std::string& host);

    // "http://" + host + path.
    static std::string urlForPath(const std::string& path);
    // The endpoint every operation of the catalogue is posted to.
    static std::string serviceUrl();
    // The feedback page, with "?userId=" and the identifier when one is set.
    static std::string feedbackPageUrl(const std::string& userId);
    static std::string aboutPageUrl();
    static std::string contactPageUrl();
};
