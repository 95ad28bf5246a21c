// What the machine reports as it plays: each result once, at the moment it is
// final, in the order the game played it. The window draws from MachineView;
// whoever tells the player what happened (the screen reader's speech) listens
// here, and chooses its own words.
#pragma once

#include <array>
#include <cstdint>

#include "vornakka/services.h"
#include "vornakka/strips.h"

namespace vornakka {

// Where the money stands once a result is final.
struct Money {
    std::int32_t credits = 0;
    std::int32_t winnings = 0;
};

// A win paid out at once, because doubling it again could reach 151 or more.
struct AutomaticPayout {
    std::int32_t amount = 0;  // 0: nothing was paid
    Text message;             // what the machine wrote for it
};

// How the reels stopped and what the line brought. When the spin took the
// last money, the game is over: gameEnded follows at once.
struct SpinResult {
    std::array<char, kReelCount> symbols{};  // reel 1 first
    int row = 0;                             // the paytable row matched, 0 none
    bool jackpot = false;                    // the line was the jackpot row
    std::int32_t win = 0;                    // the amount won, 0 none
    Text message;                            // the win as written on the message line ("" none)
    AutomaticPayout payout;
    Money money;
    bool endsGame = false;
};

// TUPLAUS pressed: the win is at stake, doubled, while the faces turn.
struct DoubleUpStart {
    std::int32_t stake = 0;  // what a right guess brings
    Text message;
    Money money;
};

// How a double-up guess came out. A right guess offers the doubled win again
// (or pays it at once); a wrong one loses it, and when no money is left the
// game is over: gameEnded follows at once.
struct GuessResult {
    bool right = false;
    char face = kNeutral;    // the middle face the column stopped on
    std::int32_t offer = 0;  // the win now on offer, 0 none
    Text message;
    AutomaticPayout payout;
    Money money;
    bool endsGame = false;
};

enum class GameEnding : std::uint8_t {
    MoneyRanOut,  // a lost spin or guess left nothing
    CashedOut,    // VOITONMAKSU with no win on offer
};

// The game is over and the machine holds a fresh one; the high-score window
// or the name dialog opens next.
struct GameEnd {
    GameEnding how = GameEnding::CashedOut;
    std::int32_t score = 0;  // the winnings taken home
};

// A listener overrides the reports it wants; the others do nothing.
class MachineEvents {
public:
    virtual ~MachineEvents() = default;
    // Start-up has run to its end: the best entry on the message line.
    virtual void startedUp(const Text& /*message*/, const Money& /*money*/) {}
    virtual void betChanged(std::int32_t /*bet*/) {}
    virtual void spinStopped(const SpinResult& /*result*/) {}
    virtual void doubleUpStarted(const DoubleUpStart& /*start*/) {}
    virtual void guessDecided(const GuessResult& /*result*/) {}
    // The win on offer taken with VOITONMAKSU.
    virtual void winCollected(std::int32_t /*amount*/, const Money& /*money*/) {}
    virtual void gameEnded(const GameEnd& /*end*/) {}
};

}  // namespace vornakka
