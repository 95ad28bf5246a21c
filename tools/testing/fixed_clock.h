// A clock that always reads the same time of day: the same seed, and so the
// same game, on every run. Used by tests and by the measuring tools.
#pragma once

#include "vornakka/services.h"

namespace vornakka {

struct FixedClock final : Clock {
    TimeOfDay time;
    FixedClock() = default;
    explicit FixedClock(TimeOfDay t) : time(t) {}
    TimeOfDay utcTimeOfDay() override { return time; }
};

}  // namespace vornakka
