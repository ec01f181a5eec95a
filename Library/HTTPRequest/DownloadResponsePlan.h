#pragma once

#include "Library/HTTPRequest/HTTPRequestDelegate.h"

#include <cstdint>
#include <optional>

// What a download does with one response, decided from its status and headers alone before
// any byte of its body is kept: only a body that is the file, or the rest of the partial file,
// ever touches the partial file.
struct DownloadResponsePlan {
    enum class Kind {
        Redirect,              // followed when this response ends; its body is dropped
        File,                  // the body is the file from byte `keep - skip` on
        AlreadyWhole,          // the partial file already holds the whole file (416 naming its size)
        RestartFromFirstByte,  // the answer cannot continue the partial file: ask for the whole file
        Unusable,              // a range that cannot be placed, to a request that sent none
        Error,                 // an error page or other answer that is not the file
    };

    Kind kind = Kind::Error;
    // Bytes of the partial file that stay; the body's bytes are written after them.
    std::uint64_t keep = 0;
    // Leading body bytes that the partial file already holds (a range that starts early).
    std::uint64_t skip = 0;
    // The size the file must have when the body is complete: "Content-Length" of a 200, the
    // total of a 206's "Content-Range"; absent when the response does not say.
    std::optional<std::uint64_t> promisedSize;

    // `partialSize` is the length of the partial file the request asked to continue, and
    // `sentRange` whether it asked with "Range" at all. `hasLocation`: a non-empty "Location".
    static DownloadResponsePlan forResponse(int status, const HTTPHeaders& headers, bool hasLocation,
                                            std::uint64_t partialSize, bool sentRange);

    bool holdsFile() const { return kind == Kind::File || kind == Kind::AlreadyWhole; }
};
