// The output device and context the game's players mix with: holding the
// cues decoded while it opened, and paused while nothing sounds.
//
// - Opening takes tens of milliseconds (OpenAL builds its mixer), so the
//   players open their device on a helper thread as soon as they are made,
//   and while it opens it also decodes every cue file it can read (relative
//   to the working directory) into a buffer, which the player's open takes
//   instead of reading the file again.
// - Idle pause: an open device mixes silence all the time and costs CPU.
//   While no cue is sounding the device is paused (ALC_SOFT_pause_device, or
//   the game's own stream corked) and a play wakes it before its source
//   starts. Nothing tells us when a source reaches its end, so while the
//   device runs a thread of its own looks every kIdleCheck, and pauses it
//   once every source has been silent for kIdleGrace; the grace lets what
//   the device has already mixed drain to the speaker. Paused, the thread
//   sleeps until the next play. The device is paused only when no source is
//   PLAYING: a paused device freezes source offsets, so pausing under a
//   sounding cue would leave it "playing" for ever.
#pragma once

#include <al.h>
#include <alc.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "server_link.h"
#include "vornakka/services.h"
#include "wave_decoder.h"

namespace vornakka::detail {

// An OpenAL buffer holding the whole sound. Needs a current context; throws
// MediaError with OpenAL's text.
ALuint makeBuffer(const DecodedSound& sound);

// OpenAL's text for an error code.
std::string alText(ALenum error);

// A cue's buffer made ready while the device opened.
struct PreparedCue {
    ALuint buffer = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
};

class AudioDevice {
public:
    // How long every cue must have been silent before the device is paused.
    static constexpr std::chrono::milliseconds kIdleGrace{250};
    // How often a running device looks whether anything still sounds.
    static constexpr std::chrono::milliseconds kIdleCheck{50};

    // Opens the output and makes its context current; throws MediaError
    // saying why no device could be opened.
    AudioDevice();
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Decodes every cue file that can be read into a buffer for takePrepared.
    void prepareCues();
    std::optional<PreparedCue> takePrepared(SoundCue cue);

    // Every open player's source is registered here, for the idle pause to
    // see it; a source is removed before it is deleted.
    void add(ALuint source);
    void remove(ALuint source);

    // Starts the source unless it is sounding already (alSourcePlay would
    // rewind it), waking the device first.
    void play(ALuint source);
    // After the players opened: a device nothing has sounded on since it
    // last ran idle has nothing to drain, and is paused at once.
    void pauseIfNothingSounded();

    // False keeps the device running while silent (to measure what the pause
    // saves); true, the default, lets it sleep.
    void setIdlePause(bool enabled);

    ServerLink* link() const { return output_.get(); }
    bool paused() const;

private:
    // The idle pause's own thread.
    void watch();
    // With mutex_ held.
    void wake();
    void pauseIfIdle(bool immediately);

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    std::unique_ptr<ServerLink> output_;  // the game's own stream, if it plays through one
    std::function<void()> pause_;
    std::function<void()> resume_;
    std::function<bool()> lost_;
    std::array<std::optional<PreparedCue>, kSoundCueCount> prepared_{};

    // The players' thread and the idle pause's take turns.
    mutable std::mutex mutex_;
    std::condition_variable awake_;
    bool paused_ = false;
    bool idlePause_ = true;
    bool stopping_ = false;
    bool soundedSincePause_ = false;
    std::optional<std::chrono::steady_clock::time_point> silentSince_;
    std::vector<ALuint> sources_;
    std::thread watcher_;
};

}  // namespace vornakka::detail
