#pragma once

namespace platform {

// Stops the process, naming the caller in the log, when a main-thread-only entry point is called
// on another thread. Active in test and sanitizer builds (QELVO_THREAD_CHECKS); a thread is only
// known as the main one once the main run loop runs on it or has adopted it.
#if defined(QELVO_THREAD_CHECKS)
void assertMainThread(const char* function = __builtin_FUNCTION(), const char* file = __builtin_FILE(),
                      int line = __builtin_LINE());
#else
inline void assertMainThread(const char* = nullptr, const char* = nullptr, int = 0) {}
#endif

}  // namespace platform
