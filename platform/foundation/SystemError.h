#pragma once

#include <string>

namespace platform {

// The system's text for an error number ("No space left on device").
std::string systemErrorMessage(int number);
// The text of the error that the last failed system call of this thread left behind; read it
// right after the call that failed.
std::string lastSystemErrorMessage();

}  // namespace platform
