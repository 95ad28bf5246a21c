// What OpenAL Soft will try for output, read the way OpenAL Soft reads it:
// the player's ALSOFT_DRIVERS, else the "drivers" line of its configuration
// files, and the back-ends of Debian's OpenAL Soft 1.19 in its own order.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vornakka::detail {

struct OpenAlBackend {
    const char* name;   // as in ALSOFT_DRIVERS: "pulse", "alsa"...
    const char* shown;  // as the player knows it
    const char* why;    // why it gave no sound
};

// The back-ends of Debian's OpenAL Soft 1.19 in the order it tries them.
const std::array<OpenAlBackend, 8>& openAlBackends();

// The back-ends OpenAL Soft will try, in its order, after the player's
// setting (or ours): "pulse", "alsa", "oss" and so on.
std::vector<std::string> openAlDriverOrder();

// The player's own back-end setting: ALSOFT_DRIVERS if set, else the last
// "drivers" of OpenAL Soft's configuration files; empty when there is none.
// `source` names where it came from.
std::string openAlDriverSetting(std::string* source = nullptr);

}  // namespace vornakka::detail
