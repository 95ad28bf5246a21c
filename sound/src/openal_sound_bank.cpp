#include "openal_sound_bank.h"

#include <al.h>

#include <cstdint>
#include <optional>

#include "process_device.h"
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
    std::shared_ptr<detail::ProcessDevice> device;
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

    std::optional<detail::PreparedCue> prepared;
    std::optional<detail::DecodedSound> sound;
    if (!impl_->device && detail::ProcessDevice::warmingUp()) {
        try {
            impl_->device = detail::ProcessDevice::acquire();
        } catch (const MediaError&) {
            detail::decodeSoundFile(soundCueFile(cue));  // a file that cannot be read is still named first
            throw;
        }
    }
    if (impl_->device) prepared = impl_->device->takePrepared(cue);
    if (!prepared) {
        sound = detail::decodeSoundFile(soundCueFile(cue));
        if (!impl_->device) impl_->device = detail::ProcessDevice::acquire();
    }

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
    impl_->device->add(source);
    if (impl_->idlePause) impl_->device->pauseIfIdle(true);
}

bool OpenAlSoundBank::isOpen(SoundCue cue) const {
    return impl_->player(cue).open;
}

void OpenAlSoundBank::play(SoundCue cue) {
    const Player& p = impl_->player(cue);
    // alSourcePlay would restart a PLAYING source from the beginning; a cue
    // that is sounding must go on instead. PAUSED resumes; STOPPED (played to
    // its end) and INITIAL start from 0.
    if (p.open && impl_->state(cue) != AL_PLAYING) {
        impl_->device->wake();
        alSourcePlay(p.source);
    }
    played();  // the windows' idle checks wake after every play
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

}  // namespace vornakka
