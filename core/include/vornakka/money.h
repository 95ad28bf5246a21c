// Money is int32 everywhere. Sums saturate at the int32 limits instead of
// wrapping, so a huge jackpot file cannot turn into a negative jackpot.
#pragma once

#include <cstdint>
#include <limits>

namespace vornakka {

inline std::int32_t saturate(std::int64_t v) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v < lo ? lo : (v > hi ? hi : v));
}
inline std::int32_t addMoney(std::int32_t a, std::int64_t b) { return saturate(std::int64_t{a} + b); }
inline std::int32_t subMoney(std::int32_t a, std::int64_t b) { return saturate(std::int64_t{a} - b); }
inline std::int32_t mulMoney(std::int64_t a, std::int64_t b) { return saturate(a * b); }

}  // namespace vornakka
