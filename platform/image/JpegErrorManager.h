#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>

namespace platform {

// libjpeg reports fatal errors through error_exit, which must not return: this manager
// jumps back to `jump`, armed with setjmp by the small step that makes the failing
// call. Such a step holds only trivial objects, so the jump skips no destructor.
// Warnings and messages stay quiet.
struct JpegErrorManager {
    jpeg_error_mgr base{};
    std::jmp_buf jump{};

    // Makes this the error manager of a compress or decompress object.
    jpeg_error_mgr* install();
};

}  // namespace platform
