#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace qelvo::fuzz {

// The fuzzer's bytes as text.
inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The bytes before the first newline, and those after it (none when there is none).
inline std::pair<std::string_view, std::string_view> splitAtNewline(std::string_view bytes) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
        return {bytes, {}};
    }
    return {bytes.substr(0, newline), bytes.substr(newline + 1)};
}

}  // namespace qelvo::fuzz
