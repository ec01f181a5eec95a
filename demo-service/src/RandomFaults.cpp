#include "RandomFaults.h"

namespace qelvo::demo {

RandomFaults::RandomFaults(std::uint64_t seed) : seed_(seed), generator_(seed) {}

std::optional<RandomFaults::Fault> RandomFaults::draw(unsigned percent) {
    // Plain remainders of the generator's output (not the standard distributions, whose
    // results differ between libraries) keep a seed's sequence the same everywhere.
    std::lock_guard lock(mutex_);
    if (generator_() % 100 >= percent) return std::nullopt;
    const auto kind = static_cast<Kind>(generator_() % 4);
    return Fault{kind, generator_()};
}

void RandomFaults::restart() {
    std::lock_guard lock(mutex_);
    generator_.seed(seed_);
}

std::string_view RandomFaults::name(Kind kind) {
    switch (kind) {
        case Kind::Status500: return "status500";
        case Kind::Status503: return "status503";
        case Kind::Redirect: return "redirect";
        case Kind::Drop: return "drop";
    }
    return "";
}

}  // namespace qelvo::demo
