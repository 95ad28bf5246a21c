// The game's sound: made once, at the very start of the program, before any
// thread runs, and holding everything that sounds for as long as it lives.
//
// - It sets how the desktop's sound server shows the game and which output
//   it plays through (output_choice.h inside the sound library), then starts
//   opening the audio device on a helper thread, which also decodes the wave
//   files, so that the device is ready by the time the windows, built
//   meanwhile, open their players. The first open waits for it and throws
//   its failure, if any.
// - It holds the eleven players, the device and, on a desktop's sound
//   server, the game's own stream.
// - The device pauses itself while nothing sounds and wakes at every play.
#pragma once

#include <memory>

#include "vornakka/sound_players.h"

namespace vornakka {

class OpenAlSoundBank;

class GameSound final : public SoundPlayers {
public:
    GameSound();
    // Closes the players, then the device (waiting for it if it is still opening).
    ~GameSound() override;
    GameSound(const GameSound&) = delete;
    GameSound& operator=(const GameSound&) = delete;

    void open(SoundCue cue) override;
    void play(SoundCue cue) override;
    void stop(SoundCue cue) override;

private:
    std::unique_ptr<OpenAlSoundBank> players_;
};

}  // namespace vornakka
