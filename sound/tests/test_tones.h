// Scratch game folders and short test tones for the sound tests.
#pragma once

#include <filesystem>
#include <string>

#include "vornakka/services.h"

namespace vornakka::testing {

// Writes a 16-bit sine tone with libsndfile.
void writeTone(const std::filesystem::path& path, double seconds, int channels = 1, int sampleRate = 44100);

// A fresh folder with a Wavs/ subfolder, made the working directory for as
// long as the object lives (the players open their files relative to it).
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Where the cue's file goes.
    std::filesystem::path file(SoundCue cue) const;
    void tone(SoundCue cue, double seconds, int channels = 1) const {
        writeTone(file(cue), seconds, channels);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path dir_;
};

}  // namespace vornakka::testing
