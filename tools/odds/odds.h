// The exact odds of the machine, found by counting, and the two facts of the
// reel and face mechanics they rest on, checked on the real SlotMachine.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "vornakka/strips.h"

namespace vornakka::odds {

inline constexpr int kStops = kStripLength * kStripLength * kStripLength;  // 27 000
inline constexpr int kNoRow = 0;

// Row 1..14 of the first paytable row the line matches, 0 for none. Reads the
// patterns of the game's paytable but matches them on its own, so that the
// odds sheet does not lean on the machine's matcher.
int rowOf(char r1, char r2, char r3);

// The three letters at reel positions p1, p2, p3 (each 1..30).
std::string lineAt(int p1, int p2, int p3);

struct StopSheet {
    // combos[r] = number of the 27 000 stops whose first matching row is r
    // (r = 0: no row, a losing line).
    std::array<std::int64_t, kPaytableRows + 1> combos{};
    // Sum over the stops of the multiplier of rows 1..13, i.e. the line return
    // in units of the bet, times 27 000.
    std::int64_t lineReturn27000 = 0;
    // Sum of the squared multipliers (rows 1..13), for the standard error.
    std::int64_t lineReturnSquares27000 = 0;

    double probability(int row) const { return static_cast<double>(combos[static_cast<std::size_t>(row)]) / kStops; }
    double lineReturn() const { return static_cast<double>(lineReturn27000) / kStops; }
    // Standard deviation of one spin's line return (rows 1..13) in bets.
    double lineReturnSd() const;
};

// Counts every one of the 27 000 stops against the paytable.
StopSheet countStops();

// What the jackpot row pays at a bet when the jackpot stood at j0 before the
// spin: the start adds the bet, the line pays that total rounded down to a
// multiple of the bet, (j0 / bet + 1) x bet.
std::int64_t jackpotPay(std::int64_t j0, int bet);

// -------- the reel mechanics, on the real machine

// For every reel, start position and drawn step count n (30..59), where the
// real machine leaves the reel. finals[reel][start-1][n-30] = final position.
struct ReelMoves {
    std::array<std::array<std::array<int, 30>, kStripLength>, kReelCount> finals{};
    std::array<std::array<std::array<int, 30>, kStripLength>, kReelCount> ticks{};
    // True when, from every start, the 30 step counts reach each of the 30
    // positions exactly once.
    bool eachFinalOnce() const;
};
ReelMoves measureReelMoves();

// -------- the double-up, on the real machine

// wins[guess][start-1] = how many of the 11 possible step counts (33..43)
// win, when the middle face stands at `start` (1..11) as the gamble begins;
// guess 0 = "HYMY", 1 = "DEPRESSIO". middle[start-1][k] = where the middle
// face ends for step count 33 + k.
struct GambleOdds {
    std::array<std::array<int, kFaceStripLength>, 2> wins{};
    std::array<std::array<int, kFaceStripLength>, kFaceStripLength> middle{};
    std::array<std::array<int, kFaceStripLength>, kFaceStripLength> moves{};
};
GambleOdds measureGambleOdds();

// Expected pay, in units of the offered amount, of doubling with a guess
// whose chance is p until the machine pays automatically (amounts of 151 and
// more), for an offered amount.
double doubleUntilPaid(std::int64_t amount, double p);
// How many doublings that takes (0 when the amount is paid at once).
int doublingsUntilPaid(std::int64_t amount);

}  // namespace vornakka::odds
