#include "Gzip.h"

#include <zlib.h>

namespace qelvo::demo {

namespace {

constexpr int kGzipWindow = 15 + 16;  // 15-bit window, gzip header and trailer

}  // namespace

std::optional<std::string> Gzip::compress(std::string_view bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    std::string out;
    out.resize(deflateBound(&stream, static_cast<uLong>(bytes.size())) + 32);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const auto produced = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END) return std::nullopt;
    out.resize(produced);
    return out;
}

std::optional<std::string> Gzip::decompress(std::string_view bytes) {
    z_stream stream{};
    if (inflateInit2(&stream, kGzipWindow) != Z_OK) return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    std::string out;
    char buffer[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END) break;
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END) return std::nullopt;
    return out;
}

}  // namespace qelvo::demo
