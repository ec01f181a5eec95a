#pragma once

// Option bits of a load. The screens pass none (0).
enum WebImageOptions : unsigned {
    WebImageRetryFailed = 1,          // try an address again although it failed before in this run
    WebImageLowPriority = 2,          // accepted; downloads keep their first-in, first-out order
    WebImageCacheMemoryOnly = 4,      // keep a downloaded picture in memory, not on disk
    WebImageProgressiveDownload = 8,  // accepted; pictures are shown once complete
    WebImageRefreshCached = 16,       // accepted; a cached picture is answered from the cache
};
