// The game's random source made to draw what a test or a measurement needs.
// The generator is a linear congruential one, so a seed can be worked back
// from the draws wanted next; the machine then plays them as it would any
// others. The draws that end a spin or a double-up where wanted follow from
// how far the reels and the face column move.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>

#include "vornakka/random_source.h"
#include "vornakka/strips.h"

namespace vornakka::test {

// One draw: RandomSource::random(range) giving `value`.
struct Draw {
    std::uint32_t range;
    std::uint32_t value;
};

// A seed from which the random source draws exactly `draws`, in order.
inline std::uint32_t seedForDraws(std::initializer_list<Draw> draws) {
    if (draws.size() == 0) return 0;
    constexpr std::uint32_t kMultiplier = 134775813u;  // RandomSource's
    std::uint32_t inverse = kMultiplier;                // Newton's step doubles the right bits
    for (int i = 0; i < 5; ++i) inverse *= 2u - kMultiplier * inverse;
    const Draw first = *draws.begin();
    if (first.range == 0 || first.value >= first.range) throw std::invalid_argument("no such draw");
    // The states after the first draw that give its value.
    const std::uint64_t from = ((std::uint64_t{first.value} << 32) + first.range - 1) / first.range;
    const std::uint64_t to = ((std::uint64_t{first.value + 1} << 32) + first.range - 1) / first.range;
    for (std::uint64_t state = from; state < to; ++state) {
        const std::uint32_t seed = (static_cast<std::uint32_t>(state) - 1u) * inverse;
        RandomSource trial(seed);
        bool all = true;
        for (const Draw& d : draws) {
            if (trial.random(d.range) != d.value) {
                all = false;
                break;
            }
        }
        if (all) return seed;
    }
    throw std::runtime_error("no seed gives these draws");
}

// A reel moves its drawn count plus 31 places (the count is 30 + a draw of
// 30, and it still moves on the tick it stops), the face column the drawn
// steps plus 34 (33 + a draw of 11, and once more as it stops).
inline int reelAfter(int position, std::uint32_t draw) {
    return (position - 1 + static_cast<int>(draw) + 31) % kStripLength + 1;
}
inline int faceAfter(int position, std::uint32_t draw) {
    return (position - 1 + static_cast<int>(draw) + 34) % kFaceStripLength + 1;
}

// The seed that makes the next start stop the reels, now at `from`, at `to`.
inline std::uint32_t seedForStops(const std::array<std::int32_t, kReelCount>& from,
                                  const std::array<std::int32_t, kReelCount>& to) {
    std::array<std::uint32_t, kReelCount> draw{};
    for (std::size_t r = 0; r < kReelCount; ++r) {
        draw[r] = static_cast<std::uint32_t>(((to[r] - from[r] - 1) % kStripLength + kStripLength) % kStripLength);
    }
    return seedForDraws({{30, draw[0]}, {30, draw[1]}, {30, draw[2]}});
}

// The three draws of a start that end the reels on a line the predicate
// accepts, from the reels' positions (a held reel's draw is spent but does
// not move it); none when no spin can.
inline std::optional<std::array<std::uint32_t, kReelCount>> spinDrawsFor(
    const std::array<std::int32_t, kReelCount>& positions, const std::array<bool, kReelCount>& held,
    const std::function<bool(char, char, char)>& want) {
    const auto letter = [&](std::size_t reel, std::uint32_t draw) {
        const int at = held[reel] ? positions[reel] : reelAfter(positions[reel], draw);
        return kReelStrips[reel].at(at);
    };
    for (std::uint32_t a = 0; a < 30; ++a) {
        for (std::uint32_t b = 0; b < 30; ++b) {
            for (std::uint32_t c = 0; c < 30; ++c) {
                if (want(letter(0, a), letter(1, b), letter(2, c))) return std::array{a, b, c};
            }
        }
    }
    return std::nullopt;
}

// The seed that makes the next start end on a line the predicate accepts.
inline std::uint32_t seedForSpin(const std::array<std::int32_t, kReelCount>& positions,
                                 const std::array<bool, kReelCount>& held,
                                 const std::function<bool(char, char, char)>& want) {
    const auto draws = spinDrawsFor(positions, held, want);
    if (!draws) throw std::runtime_error("no spin gives the wanted line");
    return seedForDraws({{30, (*draws)[0]}, {30, (*draws)[1]}, {30, (*draws)[2]}});
}

// The seed that makes the next double-up stop the middle face, now at
// `from`, at `to`.
inline std::uint32_t seedForFaceStop(int from, int to) {
    return seedForDraws({{11, static_cast<std::uint32_t>(((to - from - 34) % kFaceStripLength + kFaceStripLength) %
                                                         kFaceStripLength)}});
}

// The seed that makes the next double-up, its middle face at `middle`, end
// with `face` in the middle.
inline std::uint32_t seedForGamble(int middle, char face) {
    for (std::uint32_t draw = 0; draw < 11; ++draw) {
        if (kFaceStrip.at(faceAfter(middle, draw)) == face) return seedForDraws({{11, draw}});
    }
    throw std::runtime_error(std::string("no double-up ends on ") + face);
}

}  // namespace vornakka::test
