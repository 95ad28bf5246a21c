// The sound players: one OpenAL source a cue, its wave decoded once with
// libsndfile when the player is opened.
//
// How it works
// - open(cue) reads the cue's file (relative to the working directory) with
//   libsndfile, decodes all of it to 16-bit PCM (mono stays mono, stereo stays
//   stereo, more channels are mixed down to mono) and hands it to an OpenAL
//   buffer played by a source of the cue's own. All file I/O and decoding
//   happen here (or on the warm-up's helper thread, below), so play and stop
//   never wait for the disk.
// - A file that cannot be used fails open with MediaError carrying
//   libsndfile's own text: "System error : No such file or directory.",
//   "Format not recognised." and so on. A wave whose sound data are shorter
//   than its header promises, or that holds no sound at all, is a damaged
//   file: it fails with "Supported file format but file is malformed.".
// - The ALC device and context are opened at the first open() and shared by
//   every player in the process (all banks); the last bank to go closes them.
//   Opening them takes tens of milliseconds (OpenAL builds its mixer), so a
//   program can start that early on a helper thread with a DeviceWarmUp while
//   it builds its windows; the first open() then waits for it and throws its
//   failure, if any, just as if it had opened the device itself. The warm-up
//   also decodes every cue file it can read (relative to the working
//   directory) into a buffer, which open() takes instead of reading the file
//   again; a file the warm-up could not read is read by open(), which throws
//   libsndfile's text as always.
//   No audio device gives MediaError "No sound output device was found.",
//   followed by the back-ends OpenAL Soft tried and why each gave no sound.
//   The context asks for no auxiliary sends (the game uses no effects),
//   which spares memory OpenAL would prepare for every voice.
// - play: a cue that is sounding goes on untouched (it is never restarted); a
//   cue that was stopped half-way resumes where it was; a cue that has played
//   to its end, or has never played, starts from the beginning.
// - stop: halts a sounding cue where it is, without rewinding. A silent cue
//   is left alone.
// - Idle cost: an open device mixes silence all the time and costs CPU. While
//   no cue is sounding the device is paused (ALC_SOFT_pause_device) and play
//   resumes it before starting its source. Nothing tells us when a source
//   reaches its end, so after a play the window's timer calls idleCheck()
//   every 50 ms: it pauses the device once every source in the process has
//   been silent for a short grace period (kIdleGrace), and then says that no
//   more calls are needed until the next play. A paused device's mixer
//   thread sleeps, so a silent game does not wake at all. The grace lets the last few milliseconds
//   the device has already mixed drain to the speaker instead of being cut.
//   The device is paused only when no source is PLAYING; a paused device
//   freezes source offsets, so pausing under a sounding cue would leave it
//   "playing" for ever. Right after open(), when nothing has sounded yet, the
//   device is paused at once.
// - Output: on a desktop's PulseAudio or PipeWire server the game plays
//   through a stream of its own that an OpenAL loopback device mixes into
//   (same 44.1 kHz mixing, same sources); pausing corks that stream. See
//   output_device.h for when, and OpenAL Soft's own device otherwise. The
//   stream is made in the background (the windows never wait for the
//   server) and made again whenever the server restarts; while no server
//   answers, a cue that was sounding is over as if played out, and the
//   device sleeps.
//
// All calls belong on one thread (the game's user-interface thread).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "vornakka/services.h"

namespace vornakka {

class OpenAlSoundBank : public SoundBank {
public:
    // How long every cue must have been silent before idleCheck pauses the device.
    static constexpr std::chrono::milliseconds kIdleGrace{250};

    // Opens the process's audio device on a helper thread while it lives.
    // Does nothing when the device is open or being opened already. Its end
    // waits for the helper; a device no bank has taken by then is closed.
    class DeviceWarmUp {
    public:
        DeviceWarmUp();
        ~DeviceWarmUp();
        DeviceWarmUp(const DeviceWarmUp&) = delete;
        DeviceWarmUp& operator=(const DeviceWarmUp&) = delete;

    private:
        std::uint64_t number_;
    };

    OpenAlSoundBank();
    ~OpenAlSoundBank() override;
    OpenAlSoundBank(const OpenAlSoundBank&) = delete;
    OpenAlSoundBank& operator=(const OpenAlSoundBank&) = delete;

    // Opens the cue's player from its file (soundCueFile, relative to the
    // working directory). Throws MediaError with the library's own text.
    // Opening a cue that is already open does nothing.
    void open(SoundCue cue);
    bool isOpen(SoundCue cue) const;

    // Both do nothing for a cue that is not open.
    void play(SoundCue cue) override;
    void stop(SoundCue cue) override;

    // Pauses the audio device when no cue has sounded for kIdleGrace. Cheap;
    // meant to be called from a periodic timer for as long as it returns
    // true. False: the device sleeps (or cannot be paused, or there is none)
    // and nothing changes until the next play.
    bool idleCheck();

    // False keeps the device running while silent (to measure what the pause
    // saves); true, the default, lets idleCheck pause it.
    void setIdlePause(bool enabled);

    // For tests and diagnostics.
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
