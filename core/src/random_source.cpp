#include "vornakka/random_source.h"

namespace vornakka {

std::uint32_t RandomSource::seedFrom(const TimeOfDay& t) {
    const auto h = static_cast<std::uint32_t>(t.hour);
    const auto m = static_cast<std::uint32_t>(t.minute);
    const auto s = static_cast<std::uint32_t>(t.second);
    const auto ms = static_cast<std::uint32_t>(t.millisecond);
    return ((h * 60u + m) * 60u + s) * 1000u + ms;
}

}  // namespace vornakka
