#include "platform/foundation/MainThread.h"

#if defined(QELVO_THREAD_CHECKS)

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <cstdlib>

namespace platform {

void assertMainThread(const char* function, const char* file, int line) {
    const RunLoop& loop = RunLoop::main();
    if (loop.hasThread() && !loop.isLoopThread()) {
        logf("main thread only: {} called on another thread ({}:{})", function, file, line);
        std::abort();
    }
}

}  // namespace platform

#endif
