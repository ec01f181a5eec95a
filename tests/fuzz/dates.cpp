// Dates as the app reads them back from its stores: refresh moments
// ("yyyy-MM-dd HH:mm:ss") from the preference store, download times ("MM-dd HH:mm:ss")
// from the download records, and the header's other patterns.

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Log.h"
#include "storage/CommonHelper.h"
#include "tests/fuzz/support/FuzzBytes.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using platform::DateFormatter;

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    ::setenv("TZ", "UTC", 1);  // every moment exists exactly once
    platform::Log::shared().setEcho(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(qelvo::fuzz::bytesOf(data, size));
    for (const char* pattern :
         {"yyyy-MM-dd HH:mm:ss", "MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "MM/dd/yyyy hh:mm a"}) {
        const DateFormatter formatter(pattern);
        const auto date = formatter.dateFromString(text);
        // A date read is a real moment: written in the same pattern, it reads back the same.
        if (date && formatter.dateFromString(formatter.stringFromDate(*date)) != date) std::abort();
    }
    (void)CommonHelper::makeDate(text);
    platform::Log::shared().clear();
    return 0;
}
