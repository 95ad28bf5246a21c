// The real slot machine on services that do nothing, for playing it at full
// speed (the odds tool, the bench, the fault driver): nothing is drawn,
// sounded or saved. The view keeps only what a driver needs to play on:
// whether the reel timer is on, the last win the machine reported, and
// which window a game's end opened.
#pragma once

#include <cstdint>
#include <vector>

#include "scripted_player.h"
#include "vornakka/slot_machine.h"

namespace vornakka::test {

// Also hears the machine's reports, for the results a driver plays on.
struct QuietView : MachineView, MachineEvents {
    bool reelTimer = false;
    // Set by every spin that paid a line; the driver clears it before each
    // spin.
    bool announced = false;
    std::int64_t announcedAmount = 0;
    bool lostGamble = false;  // the last guess was wrong
    int highScoresOpened = 0;
    std::vector<std::int32_t> nameEntries;  // the score each name entry was opened for

    void showReel(int, char, Colour) override {}
    void showCounters(const Counters&) override {}
    void showMessage(const Text&) override {}
    void showFaces(char, char, char) override {}
    void setHoldLamp(int, bool) override {}
    void setReelTimer(bool enabled) override { reelTimer = enabled; }
    void openHighScores() override { ++highScoresOpened; }
    void openNameEntry(std::int32_t score) override { nameEntries.push_back(score); }

    void spinStopped(const SpinResult& result) override {
        if (result.row == 0) return;
        announced = true;
        announcedAmount = result.win;
    }
    void guessDecided(const GuessResult& result) override { lostGamble = !result.right; }
};

struct QuietSounds : SoundBank {
    void play(SoundCue) override {}
    void stop(SoundCue) override {}
};

struct QuietJackpot : JackpotStore {
    std::int32_t stored = 0;
    std::int32_t load() override { return stored; }
    void save(std::int32_t jackpot) override { stored = jackpot; }
};

struct QuietHighScores : HighScoreStore {
    HighScoreEntry best{"Pelaaja", 0};
    bool qualifies(std::int32_t score) const override { return score > 0; }
    const HighScoreEntry& row(int) const override { return best; }
    void load() override {}
};

// The clock seeds the machine: a seed below 86 400 000 is a time of day.
struct SeedClock : Clock {
    std::uint32_t seed = 0;
    TimeOfDay utcTimeOfDay() override {
        return {static_cast<int>(seed / 3600000u), static_cast<int>(seed / 60000u % 60u),
                static_cast<int>(seed / 1000u % 60u), static_cast<int>(seed % 1000u)};
    }
};

// A real SlotMachine wired to the quiet services, played with scripted draws
// where a driver needs them.
struct QuietMachine {
    QuietView view;
    QuietSounds sounds;
    QuietJackpot jackpot;
    QuietHighScores scores;
    SeedClock clock;
    RandomSource random;
    SlotMachine m{view, view, sounds, jackpot, scores, clock, random};
    ScriptedPlayer player{m, random, [this] { return view.reelTimer; }};

    SlotMachine& machine() { return m; }
    void startUp(std::uint32_t seed) {
        clock.seed = seed % 86400000u;
        m.startUp();
    }
};

}  // namespace vornakka::test
