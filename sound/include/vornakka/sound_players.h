// The game's sound players as the windows see them: the machine window opens
// its ten while it is built and the high-score window its one, and the gamble
// timer lets the players pause the audio device while nothing sounds.
//
// The real players (OpenAL) stay inside the sound library: a program gets
// them from makeSoundPlayers(), after a GameSound (game_sound.h) has set the
// sound up.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "vornakka/services.h"

namespace vornakka {

class SoundPlayers : public SoundBank {
public:
    // Opens the cue's player from its wave file (soundCueFile, relative to
    // the working directory); a player that cannot be opened throws
    // MediaError with the library's own text. Opening an open cue does nothing.
    virtual void open(SoundCue cue) = 0;
    // Called every 50 ms while it returns true; false once the players sleep
    // (nothing sounds, the audio device is paused) until the next play.
    virtual bool idleCheck() = 0;

    // Called after every play, from whichever window played, so that the
    // gamble timer can wake for the idle checks.
    void setPlayHandler(std::function<void()> handler) { played_ = std::move(handler); }

protected:
    void played() const {
        if (played_) played_();
    }

private:
    std::function<void()> played_;
};

// The players of the real game: OpenAL, with the process's one audio device.
std::unique_ptr<SoundPlayers> makeSoundPlayers();

}  // namespace vornakka
