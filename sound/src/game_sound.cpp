#include "vornakka/game_sound.h"

#include "openal_sound_bank.h"
#include "output_choice.h"

namespace vornakka {

namespace {

// The environment OpenAL Soft and libpulse read is set before the device
// starts opening.
std::unique_ptr<OpenAlSoundBank> startPlayers() {
    detail::prepareAudioEnvironment();
    return std::make_unique<OpenAlSoundBank>();
}

}  // namespace

GameSound::GameSound() : players_(startPlayers()) {}

GameSound::~GameSound() = default;

void GameSound::open(SoundCue cue) { players_->open(cue); }
void GameSound::play(SoundCue cue) { players_->play(cue); }
void GameSound::stop(SoundCue cue) { players_->stop(cue); }

}  // namespace vornakka
