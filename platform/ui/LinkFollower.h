#pragma once

#include <string>

namespace platform {

// A view that shows a page with links (the web view): the device API's link call
// asks the front-most one to follow a link as a tap in the page would.
class LinkFollower {
public:
    virtual ~LinkFollower() = default;
    virtual void followLink(const std::string& url) = 0;
};

}  // namespace platform
