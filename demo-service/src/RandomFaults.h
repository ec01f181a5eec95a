#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string_view>

namespace qelvo::demo {

// Decides which requests under "faults=P" misbehave, and how. Every draw comes from one
// generator seeded at start (and again at a reset), under a lock, so the same requests
// in the same order meet the same faults in every run.
class RandomFaults {
public:
    enum class Kind { Status500, Status503, Redirect, Drop };

    struct Fault {
        Kind kind;
        // Where a drop cuts the body: reduced to a byte position once the body's length is known.
        std::uint64_t dropSeed;

        // The body bytes sent before a drop: fewer than `length`, so the body is always cut short.
        std::uint64_t dropAfter(std::uint64_t length) const { return length == 0 ? 0 : dropSeed % length; }
    };

    explicit RandomFaults(std::uint64_t seed = 1);

    // Draws for one request: a fault with `percent` percent odds, each kind equally likely.
    std::optional<Fault> draw(unsigned percent);
    // Starts the sequence of draws over from the seed.
    void restart();

    // "status500", "status503", "redirect" or "drop": the name in the request log.
    static std::string_view name(Kind kind);

private:
    std::mutex mutex_;
    std::uint64_t seed_;
    std::mt19937_64 generator_;
};

}  // namespace qelvo::demo
