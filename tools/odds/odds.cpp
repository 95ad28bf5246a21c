#include "odds.h"

#include <cmath>
#include <stdexcept>

#include "quiet_machine.h"

namespace vornakka::odds {

namespace {

using test::QuietMachine;

std::size_t at(int oneBased) { return static_cast<std::size_t>(oneBased - 1); }

// Takes the win on offer, if any.
void collect(QuietMachine& q) {
    if (q.machine().condition() == MachineCondition::WinOffered) q.machine().pressCollect();
}

// Puts the machine back to idle at bet 1 with money for a few more spins,
// whatever the last spin or gamble left behind: the win on offer collected,
// and a game short of money cashed out for a fresh one.
void settle(QuietMachine& q) {
    collect(q);
    if (std::int64_t{q.machine().state().credits} + q.machine().state().winnings < 10) q.machine().pressCollect();
    q.player.setBet(1);
}

}  // namespace

int rowOf(char r1, char r2, char r3) {
    const char shown[3] = {r1, r2, r3};
    for (std::size_t row = 0; row < kPaytable.size(); ++row) {
        bool all = true;
        for (std::size_t i = 0; i < 3; ++i) {
            const char want = kPaytable[row].pattern[i];
            if (want != '?' && want != shown[i]) all = false;
        }
        if (all) return static_cast<int>(row) + 1;
    }
    return kNoRow;
}

std::string lineAt(int p1, int p2, int p3) {
    return {kReelStrips[0].at(p1), kReelStrips[1].at(p2), kReelStrips[2].at(p3)};
}

double StopSheet::lineReturnSd() const {
    const double mean = lineReturn();
    const double meanSquare = static_cast<double>(lineReturnSquares27000) / kStops;
    return std::sqrt(meanSquare - mean * mean);
}

StopSheet countStops() {
    StopSheet sheet;
    for (int p1 = 1; p1 <= kStripLength; ++p1) {
        for (int p2 = 1; p2 <= kStripLength; ++p2) {
            for (int p3 = 1; p3 <= kStripLength; ++p3) {
                const std::string line = lineAt(p1, p2, p3);
                const int row = rowOf(line[0], line[1], line[2]);
                ++sheet.combos[static_cast<std::size_t>(row)];
                if (row != kNoRow && row != kJackpotRow) {
                    const std::int64_t m = kPaytable[at(row)].multiplier;
                    sheet.lineReturn27000 += m;
                    sheet.lineReturnSquares27000 += m * m;
                }
            }
        }
    }
    return sheet;
}

std::int64_t jackpotPay(std::int64_t j0, int bet) { return ((j0 + bet) / bet) * bet; }

bool ReelMoves::eachFinalOnce() const {
    for (const auto& reel : finals) {
        for (const auto& fromStart : reel) {
            std::array<int, kStripLength> hits{};
            for (int final : fromStart) {
                if (final < 1 || final > kStripLength) return false;
                ++hits[at(final)];
            }
            for (int h : hits) {
                if (h != 1) return false;
            }
        }
    }
    return true;
}

ReelMoves measureReelMoves() {
    ReelMoves out;
    QuietMachine q;
    q.startUp(0);
    for (int start = 1; start <= kStripLength; ++start) {
        for (int n = 30; n <= 59; ++n) {
            settle(q);
            // A spin of its own brings every reel to `start`; then the spin
            // measured draws the count n for each.
            q.random.reseed(test::seedForStops(q.machine().state().reelPos, {start, start, start}));
            q.machine().pressStart();
            q.player.finishSpin();
            collect(q);
            const auto d = static_cast<std::uint32_t>(n - 30);
            q.random.reseed(test::seedForDraws({{30, d}, {30, d}, {30, d}}));
            q.machine().pressStart();
            const int ticks = q.player.finishSpin();
            for (std::size_t r = 0; r < kReelCount; ++r) {
                out.finals[r][at(start)][static_cast<std::size_t>(n - 30)] = q.machine().state().reelPos[r];
                out.ticks[r][at(start)][static_cast<std::size_t>(n - 30)] = ticks;
            }
        }
    }
    return out;
}

GambleOdds measureGambleOdds() {
    GambleOdds out;
    QuietMachine q;
    q.startUp(0);
    for (int guess = 0; guess < 2; ++guess) {
        for (int start = 1; start <= kFaceStripLength; ++start) {
            for (int k = 0; k < kFaceStripLength; ++k) {
                // A win of 2 on offer, the middle face brought to `start` by
                // a double-up of its own; then the double-up measured draws
                // k for its steps.
                settle(q);
                q.player.spin("CUB");
                q.random.reseed(test::seedForFaceStop(q.machine().state().facePos[1], start));
                q.machine().pressDouble();
                q.machine().pressSmile();
                q.player.finishGamble();
                collect(q);
                q.player.spin("CUB");
                q.view.lostGamble = false;
                q.random.reseed(test::seedForDraws({{11, static_cast<std::uint32_t>(k)}}));
                q.machine().pressDouble();
                if (guess == 0) {
                    q.machine().pressSmile();
                } else {
                    q.machine().pressFrown();
                }
                const int ticks = q.player.finishGamble();
                const bool won = q.machine().condition() == MachineCondition::WinOffered;
                if (won == q.view.lostGamble) throw std::logic_error("gamble neither won nor lost");
                out.wins[static_cast<std::size_t>(guess)][at(start)] += won ? 1 : 0;
                out.middle[at(start)][static_cast<std::size_t>(k)] = q.machine().state().facePos[1];
                out.moves[at(start)][static_cast<std::size_t>(k)] = ticks;
            }
        }
    }
    return out;
}

int doublingsUntilPaid(std::int64_t amount) {
    if (amount <= 0) throw std::invalid_argument("no amount to double");
    int k = 0;
    while (amount < 151) {
        amount *= 2;
        ++k;
    }
    return k;
}

double doubleUntilPaid(std::int64_t amount, double p) {
    const int k = doublingsUntilPaid(amount);
    return std::pow(2.0 * p, k);
}

}  // namespace vornakka::odds
