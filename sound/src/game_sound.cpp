#include "vornakka/game_sound.h"

#include "openal_sound_bank.h"
#include "output_choice.h"
#include "process_device.h"
#include "vornakka/sound_players.h"

namespace vornakka {

struct GameSound::WarmUp {
    detail::DeviceWarmUp device;
};

GameSound::GameSound() {
    detail::prepareAudioEnvironment();
    warmUp_ = std::make_unique<WarmUp>();
}

GameSound::~GameSound() = default;

std::unique_ptr<SoundPlayers> makeSoundPlayers() {
    return std::make_unique<OpenAlSoundBank>();
}

}  // namespace vornakka
