// Where the game's sound goes: the ALC device the sound bank mixes with, and
// how it is made quiet while nothing sounds.
//
// Where the player left OpenAL Soft's back-ends to the game and a
// PulseAudio-protocol server answers, the game's own stream on that server
// (pulse_output.h, kept by server_link.h) plays what an OpenAL loopback
// device mixes. Anything else (no server, the player's own choice of
// back-ends) gets OpenAL Soft's own device, as it picks it, and keeps it.
#pragma once

#include <alc.h>

#include <functional>
#include <memory>

#include "server_link.h"

namespace vornakka::detail {

struct OutputDevice {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;  // current on the calling thread
    std::unique_ptr<ServerLink> link;  // the game's own stream, if it plays through one
    // Both empty when the device cannot be paused.
    std::function<void()> pause;
    std::function<void()> resume;
    bool startsPaused = false;
    // True while the output plays nothing (the sound server went): its
    // sources do not move. Empty where OpenAL itself tells.
    std::function<bool()> lost;
};

// Throws MediaError saying why no device could be opened.
OutputDevice openOutputDevice();

}  // namespace vornakka::detail
