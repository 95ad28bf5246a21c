// What the player reads when the game finds no sound output: the back-ends
// OpenAL Soft tried, in its order, and why each gave no sound.
#pragma once

#include <string>

namespace vornakka::detail {

// Why no device could be opened, in words for the player. `backendReady` is
// true when OpenAL Soft did pick a back-end but its device would not open
// (ALC_OUT_OF_MEMORY in 1.19), false when no back-end was left to pick.
std::string noAudioDeviceMessage(bool backendReady);

}  // namespace vornakka::detail
