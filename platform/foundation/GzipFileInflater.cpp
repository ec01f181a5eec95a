#include "platform/foundation/GzipFileInflater.h"

#include "platform/foundation/FileWriter.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <fstream>

namespace platform {

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
// 15 window bits plus 16: expect a gzip header and trailer.
constexpr int kGzipWindowBits = 15 + 16;

enum class StreamEnd { Inflated, NotGzip, WriteFailed };

StreamEnd inflateStream(std::ifstream& in, FileWriter& out) {
    z_stream stream{};
    if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) {
        return StreamEnd::NotGzip;
    }
    std::array<char, kBufferSize> input{};
    std::array<char, kBufferSize> output{};
    int status = Z_OK;
    bool failed = false;
    bool writeFailed = false;
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
                writeFailed = true;
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
    if (writeFailed) {
        return StreamEnd::WriteFailed;
    }
    return !failed && status == Z_STREAM_END ? StreamEnd::Inflated : StreamEnd::NotGzip;
}

}  // namespace

GzipFileInflater::Result GzipFileInflater::inflateFile(const std::string& sourcePath,
                                                      const std::string& targetPath) {
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        return Result::NotGzip;
    }
    FileWriter out;
    if (!out.open(targetPath, 0)) {
        return out.lastErrorWasNoSpace() ? Result::NoSpace : Result::Unwritable;
    }
    const StreamEnd end = inflateStream(in, out);
    out.close();
    if (end == StreamEnd::Inflated) {
        return Result::Inflated;
    }
    std::remove(targetPath.c_str());
    if (end == StreamEnd::NotGzip) {
        return Result::NotGzip;
    }
    return out.lastErrorWasNoSpace() ? Result::NoSpace : Result::Unwritable;
}

}  // namespace platform
