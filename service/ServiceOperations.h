#pragma once

#include "service/RequestHelp.h"

#include <string>

// The form bodies of every operation of the service, in one place. Every value is
// form-encoded (see FormEncoding); keys, fixed parts and page numbers (decimal
// integers) are written as they are.
class ServiceOperations {
public:
    static constexpr int kPageSize = 10;

    // "mode=1": usage-count report, each time the application becomes active.
    static std::string usageReport();
    // "mode=2": home page content.
    static std::string homePage();
    // "mode=3": course categories of the catalogue, paged.
    static std::string courseCategories(int nowPage);
    // "mode=5": courses of one category, paged.
    static std::string categoryCourses(const std::string& id, int nowPage);
    // "mode=4" with an empty category: the list of news channels.
    static std::string newsChannels();
    // "mode=4": articles of one news channel, paged.
    static std::string channelArticles(const std::string& categoryId, int nowPage);
    // "mode=6": suggested search keys.
    static std::string searchKeys();
    // "mode=7" within one search category.
    static std::string searchInCategory(const std::string& searchKey, const std::string& searchId,
                                        int nowPage);
    // "mode=7" over everything.
    static std::string searchAll(const std::string& searchKey, int nowPage);
    // "mode=8": log in.
    static std::string login(const std::string& userName, const std::string& password);
    // "mode=kym8.7": feedback; `userId` carries the user's name, or is empty.
    static std::string feedback(const std::string& userId, const std::string& content);

    // Logs the body as every request is logged: "postStr is: " and the body as sent,
    // with a login's password masked.
    static void logPost(const std::string& body);
    // The body as the log shows it: a login's password becomes "******".
    static std::string loggableBody(const std::string& body);
    // Logs `body` and posts it to the service endpoint through `transport`.
    static void send(RequestHelp& transport, const std::string& body,
                     RequestHelp::CompleteBlock completeBlock, RequestHelp::ErrorBlock errorBlock);
};
