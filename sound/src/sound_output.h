// The sound output once opened: the ALC device and context the players mix
// with, and how it is made quiet while nothing sounds.
//
// output_choice.h decides which it is. The game's own stream on the sound
// server (pulse_output.h, kept by server_link.h) plays what an OpenAL
// loopback device mixes; otherwise it is OpenAL Soft's own device, as it
// picks it, kept for the life of the process's device.
#pragma once

#include <alc.h>

#include <functional>
#include <memory>

#include "server_link.h"

namespace vornakka::detail {

struct SoundOutput {
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
SoundOutput openSoundOutput();

}  // namespace vornakka::detail
