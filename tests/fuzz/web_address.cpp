// Addresses as the web view takes them: a link tapped or a redirect's Location (the
// bytes after the first newline) read against the page's address (the bytes before it).

#include "platform/web/WebAddress.h"
#include "tests/fuzz/support/FuzzBytes.h"

#include <cstdint>
#include <cstdlib>

using platform::WebAddress;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [base, reference] = qelvo::fuzz::splitAtNewline(qelvo::fuzz::bytesOf(data, size));
    for (std::string_view address : {base, reference}) {
        (void)WebAddress::isValid(address);
        (void)WebAddress::scheme(address);
        (void)WebAddress::isLoadable(address);
    }
    const std::string target = WebAddress::resolve(base, reference);
    // A loadable address names a scheme the view loads and nothing else.
    if (WebAddress::isLoadable(target)) {
        const auto scheme = WebAddress::scheme(target);
        if (!scheme || (*scheme != "http" && *scheme != "https")) std::abort();
    }
    return 0;
}
