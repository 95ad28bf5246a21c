// Recording stand-ins for the machine's services, so a test can drive the
// real machine tick by tick and read back every call it made.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fixed_clock.h"
#include "scripted_player.h"
#include "vornakka/failure.h"
#include "vornakka/slot_machine.h"

namespace vornakka::testing {

struct RecordingView : MachineView {
    std::vector<std::string> calls;  // every call in order, as text
    std::string message;
    Counters counters;
    char reel[3] = {'A', 'A', 'A'};
    Colour reelColour[3] = {colours::blue, colours::blue, colours::blue};
    char faces[3] = {'?', '?', '?'};
    bool lamp[3] = {false, false, false};
    bool reelTimer = true;  // on until the machine first switches it
    int highScoresOpened = 0;
    std::vector<std::int32_t> nameEntries;

    void showReel(int r, char symbol, Colour colour) override {
        reel[r - 1] = symbol;
        reelColour[r - 1] = colour;
        calls.push_back("reel" + std::to_string(r) + "=" + symbol);
    }
    void showCounters(const Counters& c) override {
        counters = c;
        calls.push_back("counters");
    }
    void showMessage(const Text& text) override {
        message = text;
        calls.push_back("message:" + text);
    }
    void showFaces(char top, char middle, char bottom) override {
        faces[0] = top;
        faces[1] = middle;
        faces[2] = bottom;
        calls.push_back(std::string("faces:") + top + middle + bottom);
    }
    void setHoldLamp(int r, bool lit) override {
        lamp[r - 1] = lit;
        calls.push_back("lamp" + std::to_string(r) + (lit ? "=on" : "=off"));
    }
    void setReelTimer(bool enabled) override {
        reelTimer = enabled;
        calls.push_back(enabled ? "timer=on" : "timer=off");
    }
    void openHighScores() override {
        ++highScoresOpened;
        calls.push_back("openHighScores");
    }
    void openNameEntry(std::int32_t score) override {
        nameEntries.push_back(score);
        calls.push_back("openNameEntry:" + std::to_string(score));
    }
};

// Every report, in order, as a line of text: "spin F,B,D row 6 win 2
// 'VOITIT 2 MK. TUPLAATKO?' 49/0".
struct RecordingEvents : MachineEvents {
    std::vector<std::string> reports;

    static std::string money(const Money& m) {
        return std::to_string(m.credits) + "/" + std::to_string(m.winnings);
    }
    static std::string paid(const AutomaticPayout& p) {
        return p.amount == 0 ? "" : " paid " + std::to_string(p.amount) + " '" + p.message + "'";
    }
    void startedUp(const Text& message, const Money& m) override {
        reports.push_back("started '" + message + "' " + money(m));
    }
    void betChanged(std::int32_t bet) override { reports.push_back("bet " + std::to_string(bet)); }
    void spinStopped(const SpinResult& r) override {
        reports.push_back(std::string("spin ") + r.symbols[0] + "," + r.symbols[1] + "," + r.symbols[2] + " row " +
                          std::to_string(r.row) + (r.jackpot ? " jackpot" : "") + " win " + std::to_string(r.win) +
                          " '" + r.message + "'" + paid(r.payout) + " " + money(r.money) +
                          (r.endsGame ? " ends" : ""));
    }
    void doubleUpStarted(const DoubleUpStart& d) override {
        reports.push_back("double " + std::to_string(d.stake) + " '" + d.message + "' " + money(d.money));
    }
    void guessDecided(const GuessResult& r) override {
        reports.push_back(std::string("guess ") + (r.right ? "right " : "wrong ") + r.face + " offer " +
                          std::to_string(r.offer) + " '" + r.message + "'" + paid(r.payout) + " " + money(r.money) +
                          (r.endsGame ? " ends" : ""));
    }
    void winCollected(std::int32_t amount, const Money& m) override {
        reports.push_back("collected " + std::to_string(amount) + " " + money(m));
    }
    void gameEnded(const GameEnd& e) override {
        reports.push_back(std::string("ended ") + (e.how == GameEnding::CashedOut ? "cashed out " : "money ran out ") +
                          std::to_string(e.score));
    }
};

struct RecordingSounds : SoundBank {
    std::vector<std::string> calls;  // "play Voitto", "stop Koss", ...
    void play(SoundCue cue) override { calls.push_back(std::string("play ") + soundCueName(cue)); }
    void stop(SoundCue cue) override { calls.push_back(std::string("stop ") + soundCueName(cue)); }
    std::vector<std::string> take() {
        auto out = std::move(calls);
        calls.clear();
        return out;
    }
};

struct FakeJackpot : JackpotStore {
    std::int32_t stored = 0;
    std::vector<std::int32_t> saves;
    std::optional<std::string> failLoad;  // message to throw
    std::optional<std::string> failSave;
    std::int32_t load() override {
        if (failLoad) throw IoError(2, *failLoad);
        return stored;
    }
    void save(std::int32_t jackpot) override {
        if (failSave) throw IoError(5, *failSave);
        stored = jackpot;
        saves.push_back(jackpot);
    }
};

struct FakeHighScores : HighScoreStore {
    HighScoreEntry rows[10];
    int loads = 0;
    std::optional<std::string> failLoad;
    FakeHighScores() {
        for (int i = 0; i < 10; ++i) rows[i] = {"Row" + std::to_string(i + 1), 100 - 10 * i};
    }
    void load() override {
        ++loads;
        if (failLoad) throw IoError(2, *failLoad);
    }
    bool qualifies(std::int32_t score) const override { return score > rows[9].score; }
    const HighScoreEntry& row(int index) const override { return rows[index - 1]; }
};


// A machine with its recording services, started up with a chosen seed and
// played on with scripted draws.
struct Rig {
    RecordingView view;
    RecordingEvents events;
    RecordingSounds sounds;
    FakeJackpot jackpot;
    FakeHighScores scores;
    FixedClock clock;
    RandomSource random;
    SlotMachine m{view, events, sounds, jackpot, scores, clock, random};
    test::ScriptedPlayer player{m, random, [this] { return view.reelTimer; }};

    SlotMachine& machine() { return m; }

    // Seeds through the clock: a seed below 86 400 000 is a time of day.
    void startUp(std::uint32_t seed = 0) {
        clock.time = {static_cast<int>(seed / 3600000), static_cast<int>(seed / 60000 % 60),
                      static_cast<int>(seed / 1000 % 60), static_cast<int>(seed % 1000)};
        m.startUp();
    }
    const MachineState& s() const { return m.state(); }

    // Ticks the reel timer while the view keeps it on; returns the tick count.
    int runSpin(int limit = 1000) { return player.finishSpin(limit); }
    int runGamble(int limit = 1000) { return player.finishGamble(limit); }
};

// The next start ends on `line`.
inline void aimAt(Rig& rig, const std::string& line) { rig.player.aim(line); }

}  // namespace vornakka::testing
