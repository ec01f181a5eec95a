#include "platform/foundation/SystemError.h"

#include <cerrno>
#include <system_error>

namespace platform {

std::string systemErrorMessage(int number) {
    return std::error_code(number, std::generic_category()).message();
}

std::string lastSystemErrorMessage() {
    return systemErrorMessage(errno);
}

}  // namespace platform
