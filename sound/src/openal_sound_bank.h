// The real sound players: one OpenAL source a cue, its wave decoded once with
// libsndfile when the player is opened.
//
// How it works
// - open(cue) reads the cue's file (relative to the working directory) with
//   libsndfile, decodes all of it to 16-bit PCM (mono stays mono, stereo stays
//   stereo, more channels are mixed down to mono) and hands it to an OpenAL
//   buffer played by a source of the cue's own. All file I/O and decoding
//   happen here (or on the helper thread that opens the device), so play and
//   stop never wait for the disk.
// - A file that cannot be used fails open with MediaError carrying
//   libsndfile's own text: "System error : No such file or directory.",
//   "Format not recognised." and so on. A wave whose sound data are shorter
//   than its header promises, or that holds no sound at all, is a damaged
//   file: it fails with "Supported file format but file is malformed.".
// - The device is the bank's own (audio_device.h): the bank starts opening
//   it on a helper thread when it is made, which also decodes the cue files,
//   and the first open() waits for it. The device pauses while nothing
//   sounds and wakes at every play. No audio device gives MediaError "No
//   sound output device was found.", followed by the back-ends OpenAL Soft
//   tried and why each gave no sound (no_device_message.h).
// - play: a cue that is sounding goes on untouched (it is never restarted); a
//   cue that was stopped half-way resumes where it was; a cue that has played
//   to its end, or has never played, starts from the beginning.
// - stop: halts a sounding cue where it is, without rewinding. A silent cue
//   is left alone.
// - Idle: the device pauses by itself once every cue has been silent for
//   kIdleGrace. Right after open(), when nothing has sounded yet, it is
//   paused at once.
// - Output: the game's own stream on a desktop's PulseAudio or PipeWire
//   server, or OpenAL Soft's own device; output_choice.h decides. While no
//   server answers, a cue that was sounding is over as if played out, and
//   the device sleeps.
//
// All calls belong on one thread (the game's user-interface thread). OpenAL's
// context is the process's current one: one bank at a time.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "audio_device.h"
#include "vornakka/sound_players.h"

namespace vornakka {

class OpenAlSoundBank final : public SoundPlayers {
public:
    // How long every cue must have been silent before the device pauses.
    static constexpr std::chrono::milliseconds kIdleGrace = detail::AudioDevice::kIdleGrace;

    // Starts opening the device on a helper thread; its end waits for that.
    OpenAlSoundBank();
    ~OpenAlSoundBank() override;
    OpenAlSoundBank(const OpenAlSoundBank&) = delete;
    OpenAlSoundBank& operator=(const OpenAlSoundBank&) = delete;

    void open(SoundCue cue) override;
    bool isOpen(SoundCue cue) const;

    // Both do nothing for a cue that is not open.
    void play(SoundCue cue) override;
    void stop(SoundCue cue) override;

    // False keeps the device running while silent (to measure what the pause
    // saves); true, the default, lets it sleep.
    void setIdlePause(bool enabled);

    // What the idle-CPU tool, the sound bench and the tests look at.
    bool isPlaying(SoundCue cue) const;
    // Where the cue stands; 0 once it has played to its end.
    double positionSeconds(SoundCue cue) const;
    double lengthSeconds(SoundCue cue) const;
    bool devicePaused() const;
    // The game's stream on the sound server, if the bank plays through one:
    // whether it plays now, the delay the server reports for it (waiting up
    // to 1 s for the server's answer) and how often it ran dry so far.
    struct StreamFigures {
        bool up = false;
        double bufferMs = -1;
        double sinkMs = -1;
        std::uint64_t underruns = 0;
    };
    StreamFigures streamFigures() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vornakka
