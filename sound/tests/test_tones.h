// Scratch game folders and short test tones for the sound tests.
#pragma once

#include <filesystem>
#include <string>

#include "game_folder.h"
#include "vornakka/services.h"

namespace vornakka::testing {

// Writes a 16-bit sine tone with libsndfile.
void writeTone(const std::filesystem::path& path, double seconds, int channels = 1, int sampleRate = 44100);

// A game folder of its own with a Wavs/ subfolder, the working directory for
// as long as the object lives (the players open their files relative to it).
class ToneFolder : public test::ScratchGameFolder {
public:
    ToneFolder() : ScratchGameFolder("vornakka-sound") { make("Wavs"); }

    // Where the cue's file goes.
    std::filesystem::path file(SoundCue cue) const { return std::filesystem::path(path()) / soundCueFile(cue); }
    void tone(SoundCue cue, double seconds, int channels = 1) const {
        writeTone(file(cue), seconds, channels);
    }
};

}  // namespace vornakka::testing
