#include "process_device.h"

#include <alext.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "library_text.h"
#include "sound_output.h"
#include "vornakka/failure.h"

namespace vornakka::detail {

namespace {

// The device every bank of the process shares, while one holds it.
std::weak_ptr<ProcessDevice>& shared() {
    static std::weak_ptr<ProcessDevice> device;
    return device;
}

struct Pending {
    std::mutex mutex;
    std::shared_future<std::shared_ptr<ProcessDevice>> opening;
    std::uint64_t number = 0;
};

// The warm-up's device on its way, until a bank takes it.
Pending& pending() {
    static Pending p;
    return p;
}

}  // namespace

std::string alText(ALenum error) {
    return libraryText(alGetString(error));
}

ALuint makeBuffer(const DecodedSound& sound) {
    alGetError();  // start from a clean error state
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) throw MediaError(alText(error));
    alBufferData(buffer, sound.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, sound.samples.data(),
                 static_cast<ALsizei>(sound.samples.size() * sizeof(std::int16_t)), sound.sampleRate);
    error = alGetError();
    if (error != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        throw MediaError(alText(error));
    }
    return buffer;
}

std::shared_ptr<ProcessDevice> ProcessDevice::acquire() {
    std::shared_ptr<ProcessDevice> device = shared().lock();
    if (device) return device;
    Opening opening;
    {
        const std::lock_guard<std::mutex> lock(pending().mutex);
        opening = std::exchange(pending().opening, Opening{});
    }
    device = opening.valid() ? opening.get() : std::shared_ptr<ProcessDevice>(new ProcessDevice());
    shared() = device;
    return device;
}

std::uint64_t ProcessDevice::warmUp() {
    const std::lock_guard<std::mutex> lock(pending().mutex);
    if (!shared().expired() || pending().opening.valid()) return 0;
    pending().opening = std::async(std::launch::async, [] {
                            auto device = std::shared_ptr<ProcessDevice>(new ProcessDevice());
                            device->prepareCues();
                            return device;
                        }).share();
    return ++pending().number;
}

bool ProcessDevice::warmingUp() {
    if (!shared().expired()) return false;
    const std::lock_guard<std::mutex> lock(pending().mutex);
    return pending().opening.valid();
}

void ProcessDevice::endWarmUp(std::uint64_t number) {
    Opening unclaimed;
    {
        const std::lock_guard<std::mutex> lock(pending().mutex);
        if (number == 0 || number != pending().number || !pending().opening.valid()) return;
        unclaimed = std::exchange(pending().opening, Opening{});
    }
    unclaimed.wait();
}

ProcessDevice::ProcessDevice() {
    SoundOutput out = openSoundOutput();
    device_ = out.device;
    context_ = out.context;
    output_ = std::move(out.link);
    pause_ = std::move(out.pause);
    resume_ = std::move(out.resume);
    paused_ = out.startsPaused;
    lost_ = std::move(out.lost);
}

ProcessDevice::~ProcessDevice() {
    output_.reset();  // nothing renders from here on
    for (auto& cue : prepared_) {
        if (cue) alDeleteBuffers(1, &cue->buffer);
    }
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
}

// On the warm-up's helper thread, while the program's first thread starts
// Qt: every cue whose file can be read is decoded into a buffer of its own,
// for open() to take. A file that cannot be read is left to open(), which
// reads it again and says why.
void ProcessDevice::prepareCues() {
    for (std::size_t i = 0; i < prepared_.size(); ++i) {
        try {
            const DecodedSound sound = decodeSoundFile(soundCueFile(static_cast<SoundCue>(i)));
            prepared_[i] = PreparedCue{makeBuffer(sound), sound.sampleRate, sound.frames};
        } catch (const MediaError&) {
        }
    }
}

std::optional<PreparedCue> ProcessDevice::takePrepared(SoundCue cue) {
    return std::exchange(prepared_[static_cast<std::size_t>(cue)], std::nullopt);
}

void ProcessDevice::add(ALuint source) {
    sources_.push_back(source);
}

void ProcessDevice::remove(ALuint source) {
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void ProcessDevice::wake() {
    soundedSincePause_ = true;
    silentSince_.reset();
    if (paused_) {
        resume_();
        paused_ = false;
    }
}

void ProcessDevice::pauseIfIdle(bool immediately) {
    if (paused_ || pause_ == nullptr) return;
    // With the sound server gone nothing plays on: a "playing" source
    // would keep the idle check running for ever, and sound late, out of
    // turn, once a server answers again. It is over, as if played out.
    const bool gone = lost_ && lost_();
    for (ALuint source : sources_) {
        ALint state = AL_INITIAL;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) continue;
        if (gone) {
            alSourceStop(source);
            continue;
        }
        silentSince_.reset();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!silentSince_) silentSince_ = now;
    if (gone || (immediately && !soundedSincePause_) || now - *silentSince_ >= kIdleGrace) {
        pause_();
        paused_ = true;
        soundedSincePause_ = false;
        silentSince_.reset();
    }
}

void ProcessDevice::keepRunning() {
    if (paused_) {
        resume_();
        paused_ = false;
    }
    silentSince_.reset();
}

DeviceWarmUp::DeviceWarmUp() : number_(ProcessDevice::warmUp()) {}

DeviceWarmUp::~DeviceWarmUp() {
    ProcessDevice::endWarmUp(number_);
}

}  // namespace vornakka::detail
