#include "audio_device.h"

#include <alext.h>

#include <algorithm>
#include <utility>

#include "library_text.h"
#include "sound_output.h"
#include "vornakka/failure.h"

namespace vornakka::detail {

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

AudioDevice::AudioDevice() {
    SoundOutput out = openSoundOutput();
    device_ = out.device;
    context_ = out.context;
    output_ = std::move(out.link);
    pause_ = std::move(out.pause);
    resume_ = std::move(out.resume);
    paused_ = out.startsPaused;
    lost_ = std::move(out.lost);
    // A device that cannot be paused has nothing to watch for.
    if (pause_ != nullptr) watcher_ = std::thread([this] { watch(); });
}

AudioDevice::~AudioDevice() {
    if (watcher_.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        awake_.notify_one();
        watcher_.join();
    }
    output_.reset();  // nothing renders from here on
    for (auto& cue : prepared_) {
        if (cue) alDeleteBuffers(1, &cue->buffer);
    }
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
}

// On the helper thread that opened the device, while the program's first
// thread starts Qt: every cue whose file can be read is decoded into a buffer
// of its own, for open() to take. A file that cannot be read is left to
// open(), which reads it again and says why.
void AudioDevice::prepareCues() {
    for (std::size_t i = 0; i < prepared_.size(); ++i) {
        try {
            const DecodedSound sound = decodeSoundFile(soundCueFile(static_cast<SoundCue>(i)));
            prepared_[i] = PreparedCue{makeBuffer(sound), sound.sampleRate, sound.frames};
        } catch (const MediaError&) {
        }
    }
}

std::optional<PreparedCue> AudioDevice::takePrepared(SoundCue cue) {
    return std::exchange(prepared_[static_cast<std::size_t>(cue)], std::nullopt);
}

void AudioDevice::add(ALuint source) {
    const std::lock_guard<std::mutex> lock(mutex_);
    sources_.push_back(source);
}

void AudioDevice::remove(ALuint source) {
    const std::lock_guard<std::mutex> lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void AudioDevice::play(ALuint source) {
    bool wasPaused = false;
    {
        // Held until the source plays: the idle pause cannot come between.
        const std::lock_guard<std::mutex> lock(mutex_);
        // PAUSED resumes; STOPPED (played to its end) and INITIAL start from 0.
        ALint state = AL_INITIAL;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING) return;
        wasPaused = paused_;
        wake();
        alSourcePlay(source);
    }
    if (wasPaused) awake_.notify_one();  // the idle pause's thread looks again
}

void AudioDevice::pauseIfNothingSounded() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (idlePause_) pauseIfIdle(true);
}

void AudioDevice::setIdlePause(bool enabled) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        idlePause_ = enabled;
        if (!enabled && paused_) {
            resume_();
            paused_ = false;
        }
        silentSince_.reset();
    }
    awake_.notify_one();
}

bool AudioDevice::paused() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return paused_;
}

// Sleeps while the device is paused (or kept running); while it runs, looks
// every kIdleCheck whether it may be paused.
void AudioDevice::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (paused_ || !idlePause_) {
            awake_.wait(lock);
            continue;
        }
        awake_.wait_for(lock, kIdleCheck);
        if (!stopping_ && idlePause_) pauseIfIdle(false);
    }
}

void AudioDevice::wake() {
    soundedSincePause_ = true;
    silentSince_.reset();
    if (paused_) {
        resume_();
        paused_ = false;
    }
}

void AudioDevice::pauseIfIdle(bool immediately) {
    if (paused_ || pause_ == nullptr) return;
    // With the sound server gone nothing plays on: a "playing" source
    // would keep the device awake for ever, and sound late, out of turn,
    // once a server answers again. It is over, as if played out.
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

}  // namespace vornakka::detail
