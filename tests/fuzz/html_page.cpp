// Web pages as the web view reads them: their text, their links made absolute against
// the page's address (or its <base>), and character references.

#include "platform/web/HtmlPage.h"
#include "platform/web/WebAddress.h"
#include "tests/fuzz/support/FuzzBytes.h"

#include <cstdint>
#include <cstdlib>

using platform::HtmlPage;
using platform::WebAddress;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = qelvo::fuzz::bytesOf(data, size);
    const HtmlPage page(bytes);
    // One line per block, no line empty and none with space at either end.
    const std::string& text = page.text();
    if (!text.empty() &&
        (text.front() == '\n' || text.back() == '\n' || text.find("\n\n") != std::string::npos ||
         text.find(" \n") != std::string::npos || text.find("\n ") != std::string::npos)) {
        std::abort();
    }
    const std::string pageUrl = "http://127.0.0.1:8080/wcm/qelvo/app/courseDetail.aspx?docId=7&from=iOS";
    const std::string base =
        page.baseHref().empty() ? pageUrl : WebAddress::resolve(pageUrl, page.baseHref());
    for (const std::string& href : page.hrefs()) {
        if (href.empty()) std::abort();
        (void)WebAddress::isValid(href);
        (void)WebAddress::isLoadable(WebAddress::resolve(base, href));
    }
    (void)HtmlPage::decodeEntities(bytes);
    return 0;
}
