// The game's one random generator: a 32-bit linear congruential generator
// seeded from the time of day. Reels and the double-up draw from it in a
// fixed order, so a chosen seed replays a whole game.
#pragma once

#include <cstdint>

#include "vornakka/services.h"

namespace vornakka {

class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = 0) : seed_(seed) {}

    // Milliseconds since midnight.
    static std::uint32_t seedFrom(const TimeOfDay& t);

    void reseed(std::uint32_t seed) { seed_ = seed; }
    std::uint32_t seed() const { return seed_; }

    // 0 .. n-1.
    std::uint32_t random(std::uint32_t n) {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * n) >> 32);
    }

private:
    std::uint32_t seed_;
};

}  // namespace vornakka
