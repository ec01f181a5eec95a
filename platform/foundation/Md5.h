#pragma once

#include <string>
#include <string_view>

namespace platform {

class Md5 {
public:
    // 32 lowercase hexadecimal digits of the digest, in byte order.
    static std::string hex(std::string_view bytes);
};

}  // namespace platform
