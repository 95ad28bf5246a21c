// The game's sound players as the windows see them: the machine window opens
// its ten while it is built and the high-score window its one, and the core
// plays and stops them (SoundBank).
//
// The real players (OpenAL) stay inside the sound library: the program has
// them in its GameSound (game_sound.h).
#pragma once

#include "vornakka/services.h"

namespace vornakka {

class SoundPlayers : public SoundBank {
public:
    // Opens the cue's player from its wave file (soundCueFile, relative to
    // the working directory); a player that cannot be opened throws
    // MediaError with the library's own text. Opening an open cue does nothing.
    virtual void open(SoundCue cue) = 0;
};

}  // namespace vornakka
