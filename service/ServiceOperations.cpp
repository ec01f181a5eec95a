#include "service/ServiceOperations.h"

#include "service/FormEncoding.h"
#include "service/ServiceEndpoint.h"

#include "platform/foundation/Log.h"

#include <fmt/format.h>

#include <utility>

std::string ServiceOperations::usageReport() {
    return "mode=1";
}

std::string ServiceOperations::homePage() {
    return "mode=2";
}

std::string ServiceOperations::courseCategories(int nowPage) {
    return fmt::format("mode=3&nowPage={}&pageSize=10", nowPage);
}

std::string ServiceOperations::categoryCourses(const std::string& id, int nowPage) {
    return fmt::format("mode=5&id={}&nowPage={}&pageSize=10", FormEncoding::encode(id), nowPage);
}

std::string ServiceOperations::newsChannels() {
    return "mode=4&categoryId=&nowPage=1&pageSize=10";
}

std::string ServiceOperations::channelArticles(const std::string& categoryId, int nowPage) {
    return fmt::format("mode=4&categoryId={}&nowPage={}&pageSize=10", FormEncoding::encode(categoryId),
                       nowPage);
}

std::string ServiceOperations::searchKeys() {
    return "mode=6";
}

std::string ServiceOperations::searchInCategory(const std::string& searchKey, const std::string& searchId,
                                                int nowPage) {
    return fmt::format("mode=7&searchKey={}&searchId={}&nowPage={}&pageSize=10",
                       FormEncoding::encode(searchKey), FormEncoding::encode(searchId), nowPage);
}

std::string ServiceOperations::searchAll(const std::string& searchKey, int nowPage) {
    return fmt::format("mode=7&searchKey={}&nowPage={}&pageSize=10", FormEncoding::encode(searchKey),
                       nowPage);
}

std::string ServiceOperations::login(const std::string& userName, const std::string& password) {
    return fmt::format("mode=8&userName={}&password={}", FormEncoding::encode(userName),
                       FormEncoding::encode(password));
}

std::string ServiceOperations::feedback(const std::string& userId, const std::string& content) {
    return fmt::format("mode=kym8.7&userId={}&content={}", FormEncoding::encode(userId),
                       FormEncoding::encode(content));
}

std::string ServiceOperations::loggableBody(const std::string& body) {
    // The login body ends with the encoded password, so everything after its key is
    // masked: the log is readable through the device API. The user name before it is
    // encoded too, so the first "&password=" is the password's own key.
    static const std::string kPasswordKey = "&password=";
    if (body.rfind("mode=8&", 0) != 0) {
        return body;
    }
    auto at = body.find(kPasswordKey);
    if (at == std::string::npos) {
        return body;
    }
    return body.substr(0, at + kPasswordKey.size()) + "******";
}

void ServiceOperations::logPost(const std::string& body) {
    platform::logf("postStr is: {}", loggableBody(body));
}

void ServiceOperations::send(RequestHelp& transport, const std::string& body,
                             RequestHelp::CompleteBlock completeBlock, RequestHelp::ErrorBlock errorBlock) {
    logPost(body);
    transport.requestWithUrl(ServiceEndpoint::serviceUrl(), body, std::move(completeBlock),
                             std::move(errorBlock));
}
