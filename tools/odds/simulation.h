// Plays the real SlotMachine for many spins from one seed and counts what
// happened, then sets the counts beside the exact figures.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "odds.h"

namespace vornakka::odds {

struct SimulationResult {
    std::uint64_t spins = 0;
    std::uint64_t reelTicks = 0;
    std::array<std::uint64_t, kPaytableRows + 1> rowHits{};
    // Line pay of rows 1..13 in units of the bet, and its squares.
    std::uint64_t lineReturn = 0;
    std::uint64_t lineReturnSquares = 0;
    std::uint64_t jackpotPaid = 0;
    // Spins whose announced win differs from the paytable's amount for the
    // line shown (or that announced a win on a losing line).
    std::uint64_t payMismatches = 0;
    // Spins where a reel did not end n + 1 positions on, or the spin did not
    // last max(n) + 1 ticks.
    std::uint64_t moveMismatches = 0;
    std::array<std::array<std::uint64_t, kStripLength>, kReelCount> finalStops{};
    std::array<std::array<std::uint64_t, 30>, kReelCount> stepCounts{};  // n - 30
    std::vector<std::uint64_t> jointStops = std::vector<std::uint64_t>(kStops);

    // Double-ups: guess 0 "HYMY", 1 "DEPRESSIO".
    std::array<std::uint64_t, 2> gambles{};
    std::array<std::uint64_t, 2> gambleWins{};
    std::array<std::uint64_t, kFaceStripLength> gambleDraws{};   // steps - 33
    std::array<std::uint64_t, kFaceStripLength> gambleMiddle{};  // final middle position
    // Gambles whose result or final column disagrees with the drawn steps.
    std::uint64_t gambleMismatches = 0;
};

// Starts the machine with the seed and plays `spins` spins: the bet cycles
// 1, 2, 3, 4, 5 with the "PANOS" button, no reel is held, every win on offer
// is doubled (guessing "HYMY" and "DEPRESSIO" in turn) until it is lost or
// paid automatically. A game left with 5 or less in all, or with winnings
// near the limit, is cashed out for a fresh one: no game ends on a loss, and
// no bet is cut to the last money.
SimulationResult simulate(std::uint64_t spins, std::uint32_t seed);

struct Check {
    std::string name;
    double observed = 0;
    double expected = 0;
    double standardError = 0;  // for the 3-standard-error checks
    double pValue = -1;        // for the chi-square checks (-1: not one)
    int dof = 0;
    bool passed = false;
};

inline constexpr double kMaxStandardErrors = 3.0;
inline constexpr double kChiSquareLevel = 0.001;

// Every comparison of a simulation with the exact figures: each row's hit
// frequency and the line return within 3 standard errors, the double-up
// chances likewise, chi-square tests of the stops, the step counts, the
// double-up draws and faces, and the mismatch counters at zero.
std::vector<Check> compare(const StopSheet& sheet, const SimulationResult& sim);

}  // namespace vornakka::odds
