// The game's sound, started once at the beginning of the program, before any
// thread runs: how the desktop's sound server shows the game, which output
// it plays through (output_choice.h inside the sound library), and the audio
// device opening on a helper thread while the windows are built. The players
// then come from makeSoundPlayers() (sound_players.h).
#pragma once

#include <memory>

namespace vornakka {

class GameSound {
public:
    GameSound();
    // Waits for the device's opening; a device no player took is closed.
    ~GameSound();

private:
    struct WarmUp;
    std::unique_ptr<WarmUp> warmUp_;  // also keeps a GameSound from being copied
};

}  // namespace vornakka
