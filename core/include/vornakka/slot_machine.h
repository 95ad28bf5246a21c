// The slot machine: every counter, flag and position of the game and the
// operations the buttons and the two timers call. It draws, sounds and saves
// only through the services handed to its constructor.
#pragma once

#include <array>
#include <cstdint>

#include "vornakka/machine_events.h"
#include "vornakka/random_source.h"
#include "vornakka/services.h"
#include "vornakka/strips.h"

namespace vornakka {

// The machine's state. Per-reel and per-face arrays are indexed from 0
// (element 0 is reel 1, the top face); positions inside them count from 1.
struct MachineState {
    std::int32_t credits = 50;
    std::int8_t bet = 1;
    std::int8_t lastSpinBet = 0;
    std::int32_t winnings = 0;
    std::int32_t lastWin = 0;
    std::int32_t jackpot = 0;
    std::array<std::int32_t, kReelCount> reelPos = {1, 1, 1};
    std::array<char, kReelCount> shownSymbol = {'A', 'A', 'A'};
    std::array<std::int32_t, kReelCount> spinCount = {0, 0, 0};
    std::array<bool, kReelCount> held = {false, false, false};
    std::array<bool, kReelCount> stopped = {true, true, true};
    bool holdBlocked = true;
    std::int32_t pendingWin = 0;
    std::int32_t doubleFactor = 1;
    bool doubleClosed = true;
    bool gambleSpinning = false;
    std::uint8_t gambleChoice = 3;  // 1 smile, 2 frown, 3 no guess (see gamblePhase)
    std::int32_t gambleSteps = 0;
    std::array<std::int32_t, 3> facePos = {1, 2, 3};
    std::int32_t finalScore = 0;
    std::array<std::array<Colour, kStripLength>, kReelCount> symbolColour = {};

    bool allStopped() const { return stopped[0] && stopped[1] && stopped[2]; }
};

// The machine is always in one of these, as its flags say.
enum class MachineCondition : std::uint8_t {
    Idle,        // bet, start, hold and cash-out act
    Spinning,    // the reels turn
    WinOffered,  // only VOITONMAKSU and TUPLAUS act
    Gambling,    // from TUPLAUS until the face column has stopped
};

// Where the double-up stands.
enum class GamblePhase : std::uint8_t {
    Closed,   // no win on offer, no double-up running
    Offered,  // a win waits to be taken or doubled
    Turning,  // TUPLAUS pressed: the faces turn until a guess
    Guessed,  // HYMY or DEPRESSIO pressed: the faces run to their stop and the
              // guess is decided (a game-over save that failed is tried again)
};

// What a press of each button would do now (each LUKITSE: mayHold). The
// buttons' descriptions read it; the presses check the same rules.
struct Offer {
    bool changeBet = false;  // PANOS steps the bet
    bool spin = false;       // KÄYNNISTÄ starts the reels
    bool takeWin = false;    // VOITONMAKSU takes the win on offer,
    bool endGame = false;    // or else ends the game
    bool guess = false;      // HYMY and DEPRESSIO guess the face
    bool doubleUp = false;   // TUPLAUS doubles the win on offer
    std::int32_t win = 0;    // the win on offer, doubled as far as it has been
};

// One line of the paytable as the machine shows it at a bet.
struct ShownPaytableLine {
    PaytableLine line;
    std::int32_t amount = 0;
};
using ShownPaytable = std::array<ShownPaytableLine, kPaytableLines.size()>;

class SlotMachine {
public:
    // The random source is the game's one generator: start-up seeds it from
    // the clock and every draw comes from it.
    SlotMachine(MachineView& view, MachineEvents& events, SoundBank& sounds, JackpotStore& jackpotStore,
                HighScoreStore& highScores, Clock& clock, RandomSource& random);

    SlotMachine(const SlotMachine&) = delete;
    SlotMachine& operator=(const SlotMachine&) = delete;

    // Run once when the machine window is created: welcome sound, seeding,
    // both data files, a fresh game and the best entry in the message line.
    // A failing file stops it at that step.
    void startUp();

    // Buttons.
    void pressBet();
    void pressHold(int reel);  // 1..3
    void pressStart();
    void pressCollect();
    void pressDouble();
    void pressSmile();
    void pressFrown();

    // Timers: the 10 ms reel timer and the 50 ms gamble timer.
    void reelTick();
    void gambleTick();

    // What the windows and the speech ask of the machine.
    const MachineState& state() const { return s_; }
    MachineCondition condition() const;
    GamblePhase gamblePhase() const;
    bool held(int reel) const;     // reel 1..3
    bool mayHold(int reel) const;  // reel 1..3
    Offer offer() const;
    // True while a guess is running, or its game-over save waits to be tried
    // again: only then does the gamble timer's tick change anything.
    bool gambleNeedsTicks() const;
    // The double-up column's faces at their positions, top first.
    std::array<char, 3> faces() const;
    Counters counters() const;

    // The paytable as the machine shows it at a bet.
    static ShownPaytable paytableAt(std::int32_t bet);

private:
    // gambleChoice: the face guessed, or none.
    static constexpr std::uint8_t kSmileGuessed = 1;
    static constexpr std::uint8_t kFrownGuessed = 2;
    static constexpr std::uint8_t kNoGuess = 3;

    Money money() const { return {s_.credits, s_.winnings}; }
    void resetMachine();
    void refreshCounters();
    SpinResult evaluateLine();
    void awardWin(std::int32_t multiplier, SpinResult& result);
    void resetFaces();          // reset steps 1-2
    void resetMoney();          // reset step 3
    void resetReelsAndHolds();  // reset steps 4-6
    void gameOver();
    std::int32_t payOffer();
    AutomaticPayout payPastLimit(bool guessSounding);
    void decideGamble();
    void pressGuess(std::uint8_t choice);
    void stopCues(std::initializer_list<SoundCue> cues);

    MachineView& view_;
    MachineEvents& events_;
    SoundBank& sounds_;
    JackpotStore& jackpotStore_;
    HighScoreStore& highScores_;
    Clock& clock_;
    RandomSource& random_;
    MachineState s_;
};

}  // namespace vornakka
