#include "sound_output.h"

#include <al.h>
#include <alext.h>

#include <string>

#include "library_text.h"
#include "no_device_message.h"
#include "output_choice.h"
#include "vornakka/failure.h"

namespace vornakka::detail {

namespace {

// The game's own stream on the sound server, mixed by an OpenAL loopback
// device with the same context as OpenAL's own device would have: 44.1
// kHz, stereo, float samples, no auxiliary sends. The stream itself is made
// in the background: the loopback device mixes nothing until it is asked
// to, so a cue played before the stream is ready starts when it is. False
// leaves nothing open.
bool openOwnStream(SoundOutput& out) {
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") != ALC_TRUE) return false;
    const auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    const auto render =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (openLoopback == nullptr || render == nullptr) return false;
    ALCdevice* device = openLoopback(nullptr);
    if (device == nullptr) return false;
    const ALCint attributes[] = {ALC_FREQUENCY,          PulseOutput::kRate,
                                 ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,     ALC_FLOAT_SOFT,
                                 ALC_MAX_AUXILIARY_SENDS,  0,
                                 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context != nullptr) alcDestroyContext(context);
        alcCloseDevice(device);
        return false;
    }
    out.device = device;
    out.context = context;
    out.link = std::make_unique<ServerLink>([device, render](float* samples, std::size_t frames) {
        render(device, samples, static_cast<ALCsizei>(frames));
    });
    // The stream starts corked; a loopback device cannot be paused
    // itself, and a corked stream asks it for nothing, which is the same.
    out.startsPaused = true;
    out.pause = [link = out.link.get()] { link->setCorked(true); };
    out.resume = [link = out.link.get()] { link->setCorked(false); };
    out.lost = [link = out.link.get()] { return link->down(); };
    return true;
}

void openOpenAlDevice(SoundOutput& out) {
    out.device = alcOpenDevice(nullptr);
    if (out.device == nullptr) {
        // OpenAL's own code says little ("Out of Memory" where a back-end
        // started but found no device, "Invalid Value" where none was
        // left to start): say what was tried and why it gave no sound.
        throw MediaError(noAudioDeviceMessage(alcGetError(nullptr) == ALC_OUT_OF_MEMORY));
    }
    if (alcIsExtensionPresent(out.device, "ALC_SOFT_pause_device") == ALC_TRUE) {
        const auto pause =
            reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(out.device, "alcDevicePauseSOFT"));
        const auto resume =
            reinterpret_cast<LPALCDEVICERESUMESOFT>(alcGetProcAddress(out.device, "alcDeviceResumeSOFT"));
        if (pause != nullptr && resume != nullptr) {
            out.pause = [pause, device = out.device] { pause(device); };
            out.resume = [resume, device = out.device] { resume(device); };
            // Paused before its context exists, the device does not start
            // its mixer at all until the first cue plays: nothing to stop
            // again while the windows wait for their players.
            out.pause();
            out.startsPaused = true;
        }
    }
    // The game plays its cues as they are, with no effects: no auxiliary
    // sends, which spares every voice OpenAL prepares their buffers.
    const ALCint attributes[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};
    out.context = alcCreateContext(out.device, attributes);
    if (out.context == nullptr || alcMakeContextCurrent(out.context) == ALC_FALSE) {
        std::string message = libraryText(alcGetString(out.device, alcGetError(out.device)));
        if (out.context != nullptr) alcDestroyContext(out.context);
        alcCloseDevice(out.device);
        throw MediaError(message);
    }
}

}  // namespace

SoundOutput openSoundOutput() {
    SoundOutput out;
    if (playsThroughOwnStream() && openOwnStream(out)) return out;
    openOpenAlDevice(out);
    return out;
}

}  // namespace vornakka::detail
