#include "Library/HTTPRequest/GzipFileInflater.h"

#include "Library/HTTPRequest/PartialFileWriter.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <fstream>

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
// 15 window bits plus 16: expect a gzip header and trailer.
constexpr int kGzipWindowBits = 15 + 16;

bool inflateStream(std::ifstream& in, PartialFileWriter& out) {
    z_stream stream{};
    if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) {
        return false;
    }
    std::array<char, kBufferSize> input{};
    std::array<char, kBufferSize> output{};
    int status = Z_OK;
    bool failed = false;
    while (!failed) {
        in.read(input.data(), input.size());
        const auto count = static_cast<uInt>(in.gcount());
        if (count == 0) {
            break;
        }
        stream.next_in = reinterpret_cast<Bytef*>(input.data());
        stream.avail_in = count;
        // Inflate until this input is used up and the output buffer was not filled.
        while (true) {
            if (status == Z_STREAM_END) {
                // Another member follows the one that ended.
                if (inflateReset(&stream) != Z_OK) {
                    failed = true;
                    break;
                }
            }
            stream.next_out = reinterpret_cast<Bytef*>(output.data());
            stream.avail_out = static_cast<uInt>(output.size());
            status = inflate(&stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
                failed = true;
                break;
            }
            const std::size_t produced = output.size() - stream.avail_out;
            if (produced > 0 && !out.write(std::string_view(output.data(), produced))) {
                failed = true;
                break;
            }
            if (stream.avail_in == 0 && stream.avail_out != 0) {
                break;
            }
            if (status == Z_BUF_ERROR) {
                break;
            }
        }
    }
    inflateEnd(&stream);
    return !failed && status == Z_STREAM_END;
}

}  // namespace

bool GzipFileInflater::inflateFile(const std::string& sourcePath, const std::string& targetPath) {
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        return false;
    }
    PartialFileWriter out;
    if (!out.open(targetPath, 0)) {
        return false;
    }
    const bool ok = inflateStream(in, out);
    out.close();
    if (!ok) {
        std::remove(targetPath.c_str());
    }
    return ok;
}
