#include "vornakka/openal_sound_bank.h"

#include <al.h>
#include <alc.h>
#include <alext.h>
#include <efx.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "vornakka/audio_setup.h"
#include "vornakka/failure.h"
#include "output_device.h"
#include "server_link.h"
#include "wave_decoder.h"

namespace vornakka {

namespace {

constexpr const char* kUnknownError = "Unknown error code";

std::string alText(ALenum error) {
    const ALchar* text = alGetString(error);
    return text != nullptr && *text != '\0' ? text : kUnknownError;
}

// An OpenAL buffer holding the whole sound. Needs a current context.
ALuint makeBuffer(const detail::DecodedSound& sound) {
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

// A cue's buffer made ready by the warm-up.
struct PreparedCue {
    ALuint buffer = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
};

// The one output device and context of the process. Every open player's
// source is registered here, so that the idle check sees all of them, whichever
// bank owns them.
class AudioDevice {
public:
    using Opening = std::shared_future<std::shared_ptr<AudioDevice>>;

    // The device of the process: the one already open, else the one a
    // warm-up is opening (waiting for it; its failure is thrown here), else
    // a new one.
    static std::shared_ptr<AudioDevice> acquire() {
        std::shared_ptr<AudioDevice> device = shared().lock();
        if (device) return device;
        Opening opening;
        {
            const std::lock_guard<std::mutex> lock(pending().mutex);
            opening = std::exchange(pending().opening, Opening{});
        }
        device = opening.valid() ? opening.get() : std::shared_ptr<AudioDevice>(new AudioDevice());
        shared() = device;
        return device;
    }

    // Starts opening the device on a helper thread, unless it is open or
    // being opened already. Returns the warm-up's number, 0 for none.
    static std::uint64_t warmUp() {
        const std::lock_guard<std::mutex> lock(pending().mutex);
        if (!shared().expired() || pending().opening.valid()) return 0;
        pending().opening = std::async(std::launch::async, [] {
                                auto device = std::shared_ptr<AudioDevice>(new AudioDevice());
                                device->prepareCues();
                                return device;
                            }).share();
        return ++pending().number;
    }

    // True while a warm-up has a device coming that no bank has taken.
    static bool warmingUp() {
        if (!shared().expired()) return false;
        const std::lock_guard<std::mutex> lock(pending().mutex);
        return pending().opening.valid();
    }

    // Waits for the warm-up to end; a device nobody took is closed.
    static void endWarmUp(std::uint64_t number) {
        Opening unclaimed;
        {
            const std::lock_guard<std::mutex> lock(pending().mutex);
            if (number == 0 || number != pending().number || !pending().opening.valid()) return;
            unclaimed = std::exchange(pending().opening, Opening{});
        }
        unclaimed.wait();
    }

    ~AudioDevice() {
        output_.reset();  // nothing renders from here on
        for (auto& cue : prepared_) {
            if (cue) alDeleteBuffers(1, &cue->buffer);
        }
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
        alcCloseDevice(device_);
    }
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // On the warm-up's helper thread, while the program's first thread
    // starts Qt: every cue whose file can be read is decoded into a buffer
    // of its own, for open() to take. A file that cannot be read is left to
    // open(), which reads it again and says why.
    void prepareCues() {
        for (std::size_t i = 0; i < prepared_.size(); ++i) {
            try {
                const detail::DecodedSound sound = detail::decodeSoundFile(soundCueFile(static_cast<SoundCue>(i)));
                prepared_[i] = PreparedCue{makeBuffer(sound), sound.sampleRate, sound.frames};
            } catch (const MediaError&) {
            }
        }
    }
    std::optional<PreparedCue> takePrepared(SoundCue cue) {
        return std::exchange(prepared_[static_cast<std::size_t>(cue)], std::nullopt);
    }

    void add(ALuint source) { sources_.push_back(source); }
    void remove(ALuint source) {
        sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
    }

    detail::ServerLink* link() const { return output_.get(); }
    bool paused() const { return paused_; }
    bool canPause() const { return pause_ != nullptr; }

    // Before any source is started.
    void wake() {
        soundedSincePause_ = true;
        silentSince_.reset();
        if (paused_) {
            resume_();
            paused_ = false;
        }
    }

    // `immediately` skips the grace period when nothing has sounded since the
    // device last ran idle, so there is nothing left in its queue to drain.
    void pauseIfIdle(bool immediately) {
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
        if (gone || (immediately && !soundedSincePause_) || now - *silentSince_ >= OpenAlSoundBank::kIdleGrace) {
            pause_();
            paused_ = true;
            soundedSincePause_ = false;
            silentSince_.reset();
        }
    }

    void keepRunning() {
        if (paused_) {
            resume_();
            paused_ = false;
        }
        silentSince_.reset();
    }

private:
    static std::weak_ptr<AudioDevice>& shared() {
        static std::weak_ptr<AudioDevice> device;
        return device;
    }
    struct Pending {
        std::mutex mutex;
        Opening opening;
        std::uint64_t number = 0;
    };
    static Pending& pending() {
        static Pending p;
        return p;
    }

    AudioDevice() {
        detail::OutputDevice out = detail::openOutputDevice();
        device_ = out.device;
        context_ = out.context;
        output_ = std::move(out.link);
        pause_ = std::move(out.pause);
        resume_ = std::move(out.resume);
        paused_ = out.startsPaused;
        lost_ = std::move(out.lost);
    }

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    std::unique_ptr<detail::ServerLink> output_;  // the game's own stream, if it plays through one
    std::function<void()> pause_;
    std::function<void()> resume_;
    std::function<bool()> lost_;
    bool paused_ = false;
    bool soundedSincePause_ = false;
    std::optional<std::chrono::steady_clock::time_point> silentSince_;
    std::vector<ALuint> sources_;
    std::array<std::optional<PreparedCue>, kSoundCueCount> prepared_{};
};

struct Player {
    bool open = false;
    ALuint buffer = 0;
    ALuint source = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
};

}  // namespace

struct OpenAlSoundBank::Impl {
    std::shared_ptr<AudioDevice> device;
    std::array<Player, kSoundCueCount> players{};
    bool idlePause = true;

    Player& player(SoundCue cue) { return players[static_cast<std::size_t>(cue)]; }
    const Player& player(SoundCue cue) const { return players[static_cast<std::size_t>(cue)]; }

    ALint state(SoundCue cue) const {
        ALint value = AL_INITIAL;
        const Player& p = player(cue);
        if (p.open) alGetSourcei(p.source, AL_SOURCE_STATE, &value);
        return value;
    }
};

OpenAlSoundBank::OpenAlSoundBank() : impl_(std::make_unique<Impl>()) {}

OpenAlSoundBank::~OpenAlSoundBank() {
    for (Player& p : impl_->players) {
        if (!p.open) continue;
        alSourceStop(p.source);
        alSourcei(p.source, AL_BUFFER, 0);
        alDeleteSources(1, &p.source);
        alDeleteBuffers(1, &p.buffer);
        impl_->device->remove(p.source);
    }
    // The device closes with the last bank that holds it.
}

void OpenAlSoundBank::open(SoundCue cue) {
    Player& p = impl_->player(cue);
    if (p.open) return;

    std::optional<PreparedCue> prepared;
    std::optional<detail::DecodedSound> sound;
    if (!impl_->device && AudioDevice::warmingUp()) {
        try {
            impl_->device = AudioDevice::acquire();
        } catch (const MediaError&) {
            detail::decodeSoundFile(soundCueFile(cue));  // a file that cannot be read is still named first
            throw;
        }
    }
    if (impl_->device) prepared = impl_->device->takePrepared(cue);
    if (!prepared) {
        sound = detail::decodeSoundFile(soundCueFile(cue));
        if (!impl_->device) impl_->device = AudioDevice::acquire();
    }

    ALuint buffer = prepared ? prepared->buffer : makeBuffer(*sound);
    ALuint source = 0;
    alGetError();
    alGenSources(1, &source);
    ALenum error = alGetError();
    if (error == AL_NO_ERROR) {
        // Game sounds are not placed in space: play them as they are.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(source, AL_LOOPING, AL_FALSE);
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        error = alGetError();
        if (error != AL_NO_ERROR) alDeleteSources(1, &source);
    }
    if (error != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        throw MediaError(alText(error));
    }

    p.buffer = buffer;
    p.source = source;
    p.sampleRate = prepared ? prepared->sampleRate : sound->sampleRate;
    p.frames = prepared ? prepared->frames : sound->frames;
    p.open = true;
    impl_->device->add(source);
    if (impl_->idlePause) impl_->device->pauseIfIdle(true);
}

bool OpenAlSoundBank::isOpen(SoundCue cue) const {
    return impl_->player(cue).open;
}

void OpenAlSoundBank::play(SoundCue cue) {
    const Player& p = impl_->player(cue);
    if (!p.open) return;
    // alSourcePlay would restart a PLAYING source from the beginning; a cue
    // that is sounding must go on instead. PAUSED resumes; STOPPED (played to
    // its end) and INITIAL start from 0.
    if (impl_->state(cue) == AL_PLAYING) return;
    impl_->device->wake();
    alSourcePlay(p.source);
}

void OpenAlSoundBank::stop(SoundCue cue) {
    const Player& p = impl_->player(cue);
    if (!p.open) return;
    // Pause rather than stop: OpenAL's stop rewinds the source.
    if (impl_->state(cue) == AL_PLAYING) alSourcePause(p.source);
}

bool OpenAlSoundBank::idleCheck() {
    if (!impl_->device || !impl_->idlePause) return false;
    impl_->device->pauseIfIdle(false);
    return impl_->device->canPause() && !impl_->device->paused();
}

void OpenAlSoundBank::setIdlePause(bool enabled) {
    impl_->idlePause = enabled;
    if (!enabled && impl_->device) impl_->device->keepRunning();
}

bool OpenAlSoundBank::isPlaying(SoundCue cue) const {
    return impl_->state(cue) == AL_PLAYING;
}

double OpenAlSoundBank::positionSeconds(SoundCue cue) const {
    const Player& p = impl_->player(cue);
    if (!p.open) return 0.0;
    ALint offset = 0;
    alGetSourcei(p.source, AL_SAMPLE_OFFSET, &offset);
    return static_cast<double>(offset) / p.sampleRate;
}

double OpenAlSoundBank::lengthSeconds(SoundCue cue) const {
    const Player& p = impl_->player(cue);
    return p.open ? static_cast<double>(p.frames) / p.sampleRate : 0.0;
}

bool OpenAlSoundBank::devicePaused() const {
    return impl_->device && impl_->device->paused();
}

OpenAlSoundBank::StreamFigures OpenAlSoundBank::streamFigures() const {
    StreamFigures figures;
    detail::ServerLink* link = impl_->device ? impl_->device->link() : nullptr;
    if (link == nullptr) return figures;
    figures.up = link->waitUntilUp(std::chrono::milliseconds(0));
    const detail::PulseOutput::Latency latency = link->latency(std::chrono::seconds(1));
    figures.bufferMs = latency.bufferMs;
    figures.sinkMs = latency.sinkMs;
    figures.underruns = link->underruns();
    return figures;
}

OpenAlSoundBank::DeviceWarmUp::DeviceWarmUp() : number_(AudioDevice::warmUp()) {}

OpenAlSoundBank::DeviceWarmUp::~DeviceWarmUp() {
    AudioDevice::endWarmUp(number_);
}

}  // namespace vornakka
