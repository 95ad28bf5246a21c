// The one output device and context of the process, shared by every sound
// bank: opened early by a warm-up, holding the cues the warm-up decoded, and
// paused while nothing sounds.
//
// - The device and context are opened at the first bank's first open() and
//   shared by every player in the process; the last bank to go closes them.
//   Opening them takes tens of milliseconds (OpenAL builds its mixer), so a
//   program starts that early on a helper thread with a DeviceWarmUp while
//   it builds its windows; the first open() then waits for it and throws its
//   failure, if any, just as if it had opened the device itself.
// - The warm-up also decodes every cue file it can read (relative to the
//   working directory) into a buffer, which open() takes instead of reading
//   the file again.
// - Idle pause: an open device mixes silence all the time and costs CPU.
//   While no cue is sounding the device is paused (ALC_SOFT_pause_device, or
//   the game's own stream corked) and a play wakes it. Nothing tells us when
//   a source reaches its end, so the banks' idle checks pause the device once
//   every source in the process has been silent for kIdleGrace; the grace
//   lets what the device has already mixed drain to the speaker. The device
//   is paused only when no source is PLAYING: a paused device freezes source
//   offsets, so pausing under a sounding cue would leave it "playing" for ever.
#pragma once

#include <al.h>
#include <alc.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
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

// A cue's buffer made ready by the warm-up.
struct PreparedCue {
    ALuint buffer = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
};

class ProcessDevice {
public:
    // How long every cue must have been silent before the idle check pauses the device.
    static constexpr std::chrono::milliseconds kIdleGrace{250};

    // The device of the process: the one already open, else the one a
    // warm-up is opening (waiting for it; its failure is thrown here), else
    // a new one.
    static std::shared_ptr<ProcessDevice> acquire();
    // True while a warm-up has a device coming that no bank has taken.
    static bool warmingUp();

    ~ProcessDevice();
    ProcessDevice(const ProcessDevice&) = delete;
    ProcessDevice& operator=(const ProcessDevice&) = delete;

    std::optional<PreparedCue> takePrepared(SoundCue cue);

    // Every open player's source is registered here, so that the idle check
    // sees all of them, whichever bank owns them.
    void add(ALuint source);
    void remove(ALuint source);

    ServerLink* link() const { return output_.get(); }
    bool paused() const { return paused_; }
    bool canPause() const { return pause_ != nullptr; }

    // Before any source is started.
    void wake();
    // `immediately` skips the grace period when nothing has sounded since the
    // device last ran idle, so there is nothing left in its queue to drain.
    void pauseIfIdle(bool immediately);
    void keepRunning();

private:
    friend class DeviceWarmUp;
    using Opening = std::shared_future<std::shared_ptr<ProcessDevice>>;

    ProcessDevice();
    void prepareCues();
    // Starts opening the device on a helper thread, unless it is open or
    // being opened already. Returns the warm-up's number, 0 for none.
    static std::uint64_t warmUp();
    // Waits for the warm-up to end; a device nobody took is closed.
    static void endWarmUp(std::uint64_t number);

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    std::unique_ptr<ServerLink> output_;  // the game's own stream, if it plays through one
    std::function<void()> pause_;
    std::function<void()> resume_;
    std::function<bool()> lost_;
    bool paused_ = false;
    bool soundedSincePause_ = false;
    std::optional<std::chrono::steady_clock::time_point> silentSince_;
    std::vector<ALuint> sources_;
    std::array<std::optional<PreparedCue>, kSoundCueCount> prepared_{};
};

// Opens the process's device on a helper thread while it lives. Does nothing
// when the device is open or being opened already. Its end waits for the
// helper; a device no bank has taken by then is closed.
class DeviceWarmUp {
public:
    DeviceWarmUp();
    DeviceWarmUp(DeviceWarmUp&&) = delete;  // one helper, waited for once
    ~DeviceWarmUp();

private:
    std::uint64_t number_;
};

}  // namespace vornakka::detail
