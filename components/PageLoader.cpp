#include "components/PageLoader.h"

#include "components/LoadMoreFooter.h"
#include "components/PagedList.h"
#include "platform/foundation/Json.h"
#include "service/RequestHelp.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

PageLoader::PageLoader() = default;

PageLoader::~PageLoader() = default;

void PageLoader::attach(std::weak_ptr<void> owner, std::shared_ptr<platform::TableView> table,
                        Handlers handlers) {
    owner_ = std::move(owner);
    table_ = std::move(table);
    handlers_ = std::move(handlers);
}

bool PageLoader::busy() const {
    return request_ && request_->running();
}

void PageLoader::loadFirstPage() {
    nowPage_ = 1;
    send(1);
}

void PageLoader::loadMore() {
    if (table_) {
        LoadMoreFooter::startIndicator(*table_);
    }
    if (busy()) {
        return;
    }
    nowPage_ += 1;
    send(nowPage_);
}

void PageLoader::send(int page) {
    if (!request_) {
        request_ = std::make_shared<RequestHelp>();
    }
    if (request_->running()) {
        firstPageWaiting_ = firstPageWaiting_ || page == 1;
        return;
    }
    // The handlers refer to the owner, which owns this loader: holding the owner keeps
    // both alive until the answer has been handled.
    std::shared_ptr<void> keptAlive = owner_.lock();
    if (handlers_.sending) {
        handlers_.sending(page);
    }
    ServiceOperations::send(
        *request_, handlers_.bodyForPage(page),
        [this, keptAlive, page](const std::string& body) {
            stopIndicator();
            handlers_.replied(page, body);
            const auto reply = ServiceReply::parse(body);
            ended(page, reply && ServiceReply::isSuccess(*reply));
        },
        [this, keptAlive, page](const platform::HttpError&) {
            stopIndicator();
            handlers_.failed(page);
            ended(page, false);
        });
}

void PageLoader::ended(int page, bool succeeded) {
    if (!succeeded && page > 1 && nowPage_ == page) {
        nowPage_ = page - 1;
    }
    if (!firstPageWaiting_) {
        return;
    }
    firstPageWaiting_ = false;
    if (!handlers_.stillWanted || handlers_.stillWanted()) {
        loadFirstPage();
    } else if (handlers_.dropped) {
        handlers_.dropped(1);
    }
}

void PageLoader::stopIndicator() {
    if (table_) {
        LoadMoreFooter::stopIndicator(*table_);
    }
}

bool PageLoader::showReply(const platform::Value& reply) {
    if (!ServiceReply::isSuccess(reply)) {
        return false;
    }
    const bool hasNext = PagedList::applyReply(reply, nowPage_, items_);
    if (table_) {
        // The rows go in before the footer comes off: taking the footer off first would
        // shorten a list read to its end, pull it back by the footer's height and leave
        // the last page's rows out of sight below.
        table_->reloadData();
        LoadMoreFooter::setUnder(*table_, hasNext, [this, weakOwner = owner_] {
            if (auto owner = weakOwner.lock()) {
                loadMore();
            }
        });
    }
    return true;
}
