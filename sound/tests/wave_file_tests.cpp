// The eleven wave files that ship with the game: format, length, level and
// quiet ends, and that the players open and sound them all.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "openal_sound_bank.h"

namespace vornakka {
namespace {

const std::filesystem::path kAssets = VORNAKKA_ASSETS_DIR;

double dbfs(double amplitude) {
    return 20.0 * std::log10(amplitude / 32768.0);
}

TEST(WaveFiles, EachHasTheGameFormatLengthAndLevel) {
    for (int c = 0; c < kSoundCueCount; ++c) {
        const auto cue = static_cast<SoundCue>(c);
        const std::filesystem::path path = kAssets / soundCueFile(cue);
        SCOPED_TRACE(path.string());
        ASSERT_TRUE(std::filesystem::exists(path));
        EXPECT_LE(std::filesystem::file_size(path), 150u * 1024u);

        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.samplerate, 44100);
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_GT(info.frames, 44100 / 20);  // at least 50 ms
        EXPECT_LE(info.frames, 44100 * 3 / 2);

        std::vector<short> samples(static_cast<std::size_t>(info.frames));
        EXPECT_EQ(sf_readf_short(file, samples.data(), info.frames), info.frames);
        sf_close(file);

        double peak = 0.0;
        double sumSquares = 0.0;
        for (short s : samples) {
            peak = std::max(peak, std::fabs(static_cast<double>(s)));
            sumSquares += static_cast<double>(s) * s;
        }
        const double rms = std::sqrt(sumSquares / static_cast<double>(samples.size()));
        EXPECT_GE(dbfs(peak), -4.5);
        EXPECT_LE(dbfs(peak), -2.0);
        // Similar loudness: none far quieter or louder than the rest.
        EXPECT_GE(dbfs(rms), -19.0);
        EXPECT_LE(dbfs(rms), -11.0);

        // Faded ends: they start and end on silence and stay below -30 dBFS
        // for the first and last ten samples, so nothing clicks.
        for (std::size_t i = 0; i < 10; ++i) {
            EXPECT_LE(std::abs(samples[i]), 1000) << "sample " << i;
            EXPECT_LE(std::abs(samples[samples.size() - 1 - i]), 1000) << "sample from the end " << i;
        }
        EXPECT_EQ(samples.front(), 0);
        EXPECT_EQ(samples.back(), 0);
    }
}

TEST(WaveFiles, AllElevenOpenAndSoundTogether) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(kAssets);
    {
        OpenAlSoundBank bank;
        for (int c = 0; c < kSoundCueCount; ++c) bank.open(static_cast<SoundCue>(c));
        for (int c = 0; c < kSoundCueCount; ++c) {
            const auto cue = static_cast<SoundCue>(c);
            EXPECT_TRUE(bank.isOpen(cue)) << soundCueName(cue);
            EXPECT_GT(bank.lengthSeconds(cue), 0.05) << soundCueName(cue);
            EXPECT_LE(bank.lengthSeconds(cue), 1.5) << soundCueName(cue);
            bank.play(cue);
        }
        for (int c = 0; c < kSoundCueCount; ++c) {
            EXPECT_TRUE(bank.isPlaying(static_cast<SoundCue>(c))) << soundCueName(static_cast<SoundCue>(c));
        }
    }
    std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace vornakka
