#include "simulation.h"

#include <cmath>

#include "quiet_machine.h"
#include "stats.h"

namespace vornakka::odds {

namespace {

using test::QuietMachine;

std::size_t u(std::int64_t v) { return static_cast<std::size_t>(v); }

// Doubles the win on offer until it is lost or paid, recording each gamble.
void gambleAway(QuietMachine& q, SimulationResult& r) {
    SlotMachine& m = q.machine();
    while (m.condition() == MachineCondition::WinOffered) {
        const int guess = static_cast<int>((r.gambles[0] + r.gambles[1]) % 2);
        const int startMiddle = m.state().facePos[1];
        q.view.lostGamble = false;
        m.pressDouble();
        const int k = m.state().gambleSteps - 33;
        if (guess == 0) {
            m.pressSmile();
        } else {
            m.pressFrown();
        }
        int ticks = 0;
        while (m.gambleNeedsTicks() && ticks < 1000) {
            m.gambleTick();
            ++ticks;
        }
        const int middle = m.state().facePos[1];
        const char face = kFaceStrip.at(middle);
        const bool shouldWin = guess == 0 ? face == kSmile : face == kFrown;
        const bool won = !q.view.lostGamble;
        if (k < 0 || k >= kFaceStripLength || ticks != k + 34 || middle != (startMiddle - 1 + k + 34) % 11 + 1 ||
            won != shouldWin) {
            ++r.gambleMismatches;
        }
        if (k >= 0 && k < kFaceStripLength) ++r.gambleDraws[u(k)];
        ++r.gambleMiddle[u(middle - 1)];
        ++r.gambles[u(guess)];
        r.gambleWins[u(guess)] += won ? 1 : 0;
    }
}

}  // namespace

SimulationResult simulate(std::uint64_t spins, std::uint32_t seed) {
    SimulationResult r;
    QuietMachine q;
    q.startUp(seed);
    for (std::uint64_t i = 0; i < spins; ++i) {
        const MachineState& now = q.machine().state();
        if (std::int64_t{now.credits} + now.winnings <= 5 || now.winnings > 1000000000) q.machine().pressCollect();
        SlotMachine& m = q.machine();
        const int bet = static_cast<int>(i % 5) + 1;
        for (int press = 0; press < 5 && m.state().bet != bet; ++press) m.pressBet();

        const auto start = m.state().reelPos;
        const std::int64_t j0 = m.state().jackpot;
        q.view.announced = false;
        m.pressStart();
        const auto n = m.state().spinCount;
        int ticks = 0;
        while (q.view.reelTimer && ticks < 1000) {
            m.reelTick();
            ++ticks;
        }
        r.reelTicks += static_cast<std::uint64_t>(ticks);

        const auto& s = m.state();
        int longest = 0;
        bool movedRight = m.state().bet == bet;
        for (std::size_t reel = 0; reel < kReelCount; ++reel) {
            longest = std::max(longest, n[reel]);
            if (s.reelPos[reel] != (start[reel] - 1 + n[reel] + 1) % kStripLength + 1) movedRight = false;
            if (n[reel] < 30 || n[reel] > 59) {
                movedRight = false;
            } else {
                ++r.stepCounts[reel][u(n[reel] - 30)];
            }
            ++r.finalStops[reel][u(s.reelPos[reel] - 1)];
        }
        if (ticks != longest + 1) movedRight = false;
        if (!movedRight) ++r.moveMismatches;
        ++r.jointStops[u((s.reelPos[0] - 1) * 900 + (s.reelPos[1] - 1) * 30 + (s.reelPos[2] - 1))];

        const int row = rowOf(s.shownSymbol[0], s.shownSymbol[1], s.shownSymbol[2]);
        ++r.rowHits[u(row)];
        std::int64_t due = 0;
        if (row == kJackpotRow) {
            due = jackpotPay(j0, bet);
            r.jackpotPaid += static_cast<std::uint64_t>(q.view.announcedAmount);
        } else if (row != kNoRow) {
            const auto mult = static_cast<std::uint64_t>(kPaytable[u(row - 1)].multiplier);
            due = kPaytable[u(row - 1)].multiplier * bet;
            r.lineReturn += mult;
            r.lineReturnSquares += mult * mult;
        }
        const bool paidRight = row == kNoRow ? !q.view.announced : q.view.announced && q.view.announcedAmount == due;
        if (!paidRight) ++r.payMismatches;

        gambleAway(q, r);
        ++r.spins;
    }
    return r;
}

namespace {

Check proportion(std::string name, std::uint64_t hits, std::uint64_t trials, double p) {
    Check c;
    c.name = std::move(name);
    const double n = static_cast<double>(trials);
    c.observed = trials == 0 ? 0.0 : static_cast<double>(hits) / n;
    c.expected = p;
    c.standardError = std::sqrt(p * (1.0 - p) / n);
    c.passed = trials > 0 && std::fabs(c.observed - p) <= kMaxStandardErrors * c.standardError;
    return c;
}

template <typename Counts>
Check chiSquare(std::string name, const Counts& counts, std::span<const double> probabilities = {}) {
    Check c;
    c.name = std::move(name);
    c.observed = chiSquareStatistic(std::span<const std::uint64_t>(counts.data(), counts.size()), probabilities);
    c.dof = static_cast<int>(counts.size()) - 1;
    c.expected = c.dof;
    c.pValue = chiSquarePValue(c.observed, c.dof);
    c.passed = c.pValue >= kChiSquareLevel;
    return c;
}

Check zero(std::string name, std::uint64_t count) {
    Check c;
    c.name = std::move(name);
    c.observed = static_cast<double>(count);
    c.passed = count == 0;
    return c;
}

}  // namespace

std::vector<Check> compare(const StopSheet& sheet, const SimulationResult& sim) {
    std::vector<Check> checks;
    for (int row = 0; row <= kPaytableRows; ++row) {
        const std::string name = row == kNoRow ? std::string("no row (losing line)")
                                               : "row " + std::to_string(row) + " " +
                                                     std::string(kPaytable[u(row - 1)].pattern, 3);
        checks.push_back(proportion("hit frequency of " + name, sim.rowHits[u(row)], sim.spins, sheet.probability(row)));
    }

    Check rtp;
    rtp.name = "line return (rows 1-13, in bets)";
    const double n = static_cast<double>(sim.spins);
    rtp.observed = static_cast<double>(sim.lineReturn) / n;
    rtp.expected = sheet.lineReturn();
    rtp.standardError = sheet.lineReturnSd() / std::sqrt(n);
    rtp.passed = std::fabs(rtp.observed - rtp.expected) <= kMaxStandardErrors * rtp.standardError;
    checks.push_back(rtp);

    checks.push_back(proportion("double-up won with HYMY", sim.gambleWins[0], sim.gambles[0], 5.0 / 11.0));
    checks.push_back(proportion("double-up won with DEPRESSIO", sim.gambleWins[1], sim.gambles[1], 4.0 / 11.0));

    for (std::size_t reel = 0; reel < kReelCount; ++reel) {
        const std::string r = std::to_string(reel + 1);
        checks.push_back(chiSquare("chi-square of reel " + r + " stops", sim.finalStops[reel]));
        checks.push_back(chiSquare("chi-square of reel " + r + " step counts", sim.stepCounts[reel]));
    }
    checks.push_back(chiSquare("chi-square of the 27 000 joint stops", sim.jointStops));
    checks.push_back(chiSquare("chi-square of the double-up step counts", sim.gambleDraws));
    checks.push_back(chiSquare("chi-square of the double-up middle faces", sim.gambleMiddle));

    checks.push_back(zero("spins paid otherwise than the paytable says", sim.payMismatches));
    checks.push_back(zero("spins whose reels did not move n + 1 positions", sim.moveMismatches));
    checks.push_back(zero("double-ups decided otherwise than their face", sim.gambleMismatches));
    return checks;
}

}  // namespace vornakka::odds
