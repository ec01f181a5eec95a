#include "platform/net/HttpFileSink.h"
#include "tests/support/TempContainer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>

namespace {

using platform::HttpFileSink;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A chunk whose bytes say which chunk it is, so a file in the wrong order cannot pass.
std::string chunk(int index, std::size_t size) {
    return std::string(size, static_cast<char>('a' + index % 26));
}

// Offers a chunk until the sink takes it, as curl does after a pause.
HttpFileSink::Accept offer(HttpFileSink& sink, const std::string& bytes) {
    while (true) {
        const auto accept = sink.append(bytes);
        if (accept != HttpFileSink::Accept::Pause) {
            return accept;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// With a slow-write limit of zero every chunk goes through the writer thread, as after a write
// that made the network thread wait.
TEST(HttpFileSink, AWriterThatTakesOverKeepsTheOrderStopsAtCancelAndTellsAFullDisk) {
    qelvo::test::TempContainer folder;
    const auto clock = std::make_shared<platform::RealClock>();
    constexpr std::size_t kChunk = std::size_t{256} * 1024;

    {
        // Kept bytes, skipped bytes and every chunk in order; the end comes after the last byte.
        const std::string path = folder.path() + "/ordered";
        std::ofstream(path, std::ios::binary) << "keep" << "old tail";
        HttpFileSink sink(path, clock, std::chrono::steady_clock::duration::zero());
        ASSERT_TRUE(sink.place({.write = true, .keep = 4, .skip = 3}));
        std::string expected = "keep";
        for (int i = 0; i < 40; ++i) {
            ASSERT_EQ(offer(sink, chunk(i, kChunk)), HttpFileSink::Accept::Taken);
            expected += i == 0 ? chunk(i, kChunk).substr(3) : chunk(i, kChunk);
        }
        std::promise<std::uintmax_t> ended;
        sink.finish([&] { ended.set_value(std::filesystem::file_size(path)); });
        auto sizeAtTheEnd = ended.get_future();
        ASSERT_EQ(sizeAtTheEnd.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        EXPECT_EQ(sizeAtTheEnd.get(), expected.size());
        EXPECT_EQ(readFile(path), expected);
    }
    {
        // A cancel while the writer holds bytes: nothing is written once it has returned, and
        // what was written is a prefix of what was handed over.
        const std::string path = folder.path() + "/cancelled";
        HttpFileSink sink(path, clock, std::chrono::steady_clock::duration::zero());
        ASSERT_TRUE(sink.place({.write = true}));
        std::string handed;
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(offer(sink, chunk(i, kChunk)), HttpFileSink::Accept::Taken);
            handed += chunk(i, kChunk);
        }
        sink.cancel();
        const std::string kept = readFile(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(readFile(path), kept);
        EXPECT_EQ(handed.compare(0, kept.size(), kept), 0);
        EXPECT_EQ(sink.append("more"), HttpFileSink::Accept::Failed);
    }
    {
        // A disk with no room left, met by the writer: the transfer is refused and told why.
        HttpFileSink sink("/dev/full", clock, std::chrono::steady_clock::duration::zero());
        ASSERT_TRUE(sink.place({.write = true}));
        auto accept = offer(sink, chunk(0, kChunk));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (accept != HttpFileSink::Accept::Failed && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            accept = offer(sink, chunk(1, kChunk));
        }
        EXPECT_EQ(accept, HttpFileSink::Accept::Failed);
        EXPECT_TRUE(sink.writeErrorWasNoSpace());
    }
}

}  // namespace
