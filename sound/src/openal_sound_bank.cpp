#include "openal_sound_bank.h"

#include <al.h>

#include <cstdint>
#include <future>
#include <optional>

#include "audio_device.h"
#include "server_link.h"
#include "vornakka/failure.h"
#include "wave_decoder.h"

namespace vornakka {

namespace {

struct Player {
    bool open = false;
    ALuint buffer = 0;
    ALuint source = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
};

}  // namespace

struct OpenAlSoundBank::Impl {
    // The device on its way, until the first open takes it.
    std::future<std::unique_ptr<detail::AudioDevice>> opening;
    std::unique_ptr<detail::AudioDevice> device;
    std::array<Player, kSoundCueCount> players{};
    bool idlePause = true;

    // The device the helper thread opened; its failure is thrown here, and a
    // later call tries again.
    detail::AudioDevice& takeDevice() {
        if (!device) device = opening.valid() ? opening.get() : std::make_unique<detail::AudioDevice>();
        if (!idlePause) device->setIdlePause(false);
        return *device;
    }

    Player& player(SoundCue cue) { return players[static_cast<std::size_t>(cue)]; }
    const Player& player(SoundCue cue) const { return players[static_cast<std::size_t>(cue)]; }

    ALint state(SoundCue cue) const {
        ALint value = AL_INITIAL;
        const Player& p = player(cue);
        if (p.open) alGetSourcei(p.source, AL_SOURCE_STATE, &value);
        return value;
    }
};

OpenAlSoundBank::OpenAlSoundBank() : impl_(std::make_unique<Impl>()) {
    impl_->opening = std::async(std::launch::async, [] {
        auto device = std::make_unique<detail::AudioDevice>();
        device->prepareCues();
        return device;
    });
}

OpenAlSoundBank::~OpenAlSoundBank() {
    for (Player& p : impl_->players) {
        if (!p.open) continue;
        impl_->device->remove(p.source);
        alSourceStop(p.source);
        alSourcei(p.source, AL_BUFFER, 0);
        alDeleteSources(1, &p.source);
        alDeleteBuffers(1, &p.buffer);
    }
    // The device closes after its sources; one still opening is waited for.
}

void OpenAlSoundBank::open(SoundCue cue) {
    Player& p = impl_->player(cue);
    if (p.open) return;

    detail::AudioDevice* device = impl_->device.get();
    if (device == nullptr) {
        try {
            device = &impl_->takeDevice();
        } catch (const MediaError&) {
            detail::decodeSoundFile(soundCueFile(cue));  // a file that cannot be read is still named first
            throw;
        }
    }
    std::optional<detail::PreparedCue> prepared = device->takePrepared(cue);
    std::optional<detail::DecodedSound> sound;
    if (!prepared) sound = detail::decodeSoundFile(soundCueFile(cue));

    ALuint buffer = prepared ? prepared->buffer : detail::makeBuffer(*sound);
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
        throw MediaError(detail::alText(error));
    }

    p.buffer = buffer;
    p.source = source;
    p.sampleRate = prepared ? prepared->sampleRate : sound->sampleRate;
    p.frames = prepared ? prepared->frames : sound->frames;
    p.open = true;
    device->add(source);
    device->pauseIfNothingSounded();
}

bool OpenAlSoundBank::isOpen(SoundCue cue) const {
    return impl_->player(cue).open;
}

void OpenAlSoundBank::play(SoundCue cue) {
    const Player& p = impl_->player(cue);
    // A cue that is sounding goes on; the device wakes before it starts.
    if (p.open) impl_->device->play(p.source);
}

void OpenAlSoundBank::stop(SoundCue cue) {
    const Player& p = impl_->player(cue);
    if (!p.open) return;
    // Pause rather than stop: OpenAL's stop rewinds the source.
    if (impl_->state(cue) == AL_PLAYING) alSourcePause(p.source);
}

void OpenAlSoundBank::setIdlePause(bool enabled) {
    impl_->idlePause = enabled;
    if (impl_->device) impl_->device->setIdlePause(enabled);
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

}  // namespace vornakka
