#pragma once

// The news and search screens in-process, on the browsing screens' fixture.

#include "tests/support/BrowseFixture.h"

#include <string>
#include <vector>

namespace qelvo::test {

class NewsSearchTest : public BrowseTest {
public:
    // A paged reply of `count` articles or courses titled `prefix` + index, starting
    // at `first`, each with a page address and a title-bar text.
    static platform::Value pagedReply(int nowPage, bool hasNext, int first, int count,
                                      const std::string& prefix);

protected:
    // The texts of the toasts on screen now.
    static std::vector<std::string> toasts();
};

}  // namespace qelvo::test
