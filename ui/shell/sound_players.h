// The game's sound players as the windows see them: the machine window opens
// its ten while it is built and the high-score window its one, and the gamble
// timer lets the bank pause the audio device while nothing sounds.
#pragma once

#include <functional>
#include <utility>

#include "vornakka/openal_sound_bank.h"
#include "vornakka/services.h"

namespace vornakka {

class SoundPlayers : public SoundBank {
public:
    // Opens the cue's player from its wave file; a player that cannot be
    // opened throws MediaError.
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

// The players of the real game: OpenAL through the sound library.
class OpenAlPlayers final : public SoundPlayers {
public:
    void open(SoundCue cue) override { bank_.open(cue); }
    bool idleCheck() override { return bank_.idleCheck(); }
    void play(SoundCue cue) override {
        bank_.play(cue);
        played();
    }
    void stop(SoundCue cue) override { bank_.stop(cue); }

    OpenAlSoundBank& bank() { return bank_; }

private:
    OpenAlSoundBank bank_;
};

}  // namespace vornakka
