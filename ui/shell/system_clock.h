// The system clock's UTC time of day, read once at start-up to seed the
// random source.
#pragma once

#include "vornakka/services.h"

namespace vornakka {

class SystemClock final : public Clock {
public:
    TimeOfDay utcTimeOfDay() override;
};

}  // namespace vornakka
