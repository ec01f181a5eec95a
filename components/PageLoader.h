#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/TableView.h"

#include <functional>
#include <memory>
#include <string>

class RequestHelp;

// Loads the pages of one paged list over its own transport and keeps its page counter,
// its rows and the "加载更多" footer under its table:
// - page 1 on a refresh; when the transport is busy it is sent as soon as the running
//   request ends, so a refresh always reaches the service;
// - "加载更多" turns the footer's spinner and asks for the next page, unless a page is
//   still on its way (the transport would drop it; the spinner stops with that reply);
// - a "加载更多" that fails leaves the counter on the last page shown, so the next tap
//   asks for the same page again.
// Each request holds the owner (the screen) until its answer has been handled.
class PageLoader {
public:
    struct Handlers {
        // The request body for a page.
        std::function<std::string(int page)> bodyForPage;
        // Told when a page's request leaves (optional).
        std::function<void(int page)> sending;
        // Every answer the service gave; the screen shows it with `showReply`.
        std::function<void(int page, const std::string& body)> replied;
        // A page that could not be fetched.
        std::function<void(int page)> failed;
        // Whether a page 1 that waited for the transport is still wanted (default: yes).
        std::function<bool()> stillWanted;
        // A waiting page 1 that is no longer wanted and will not be sent: nothing failed
        // (optional).
        std::function<void(int page)> dropped;
    };

    PageLoader();
    ~PageLoader();
    PageLoader(const PageLoader&) = delete;
    PageLoader& operator=(const PageLoader&) = delete;

    // `owner` is kept alive by every request; the handlers may refer to it freely.
    void attach(std::weak_ptr<void> owner, std::shared_ptr<platform::TableView> table, Handlers handlers);

    void loadFirstPage();
    void loadMore();
    // Shows a successful paged reply: page 1 replaces the rows, later pages append, the
    // footer follows "hasNext" and the table reloads. Failed replies change nothing.
    // Returns whether the reply was shown.
    bool showReply(const platform::Value& reply);

    int nowPage() const { return nowPage_; }
    const platform::Value& items() const { return items_; }
    // Null until the first request.
    std::shared_ptr<RequestHelp> request() const { return request_; }
    bool busy() const;

private:
    void send(int page);
    void ended(int page, bool succeeded);
    void stopIndicator();

    std::weak_ptr<void> owner_;
    std::shared_ptr<platform::TableView> table_;
    Handlers handlers_;
    int nowPage_ = 1;
    platform::Value items_ = platform::Value::array();
    std::shared_ptr<RequestHelp> request_;
    bool firstPageWaiting_ = false;
};
