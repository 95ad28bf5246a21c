// The odds sheet: counts every reel stop against the paytable, measures the
// reel and double-up mechanics on the real machine, plays a long seeded
// simulation of the real machine, and writes it all to docs/odds.md.
//
//   odds_sheet [--spins N] [--seed S] [--skip-period] [--out FILE]
//
// Prints every figure and check; exits with 1 when a check fails.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "odds.h"
#include "simulation.h"
#include "vornakka/random_source.h"

using namespace vornakka;
using namespace vornakka::odds;

namespace {

struct Options {
    std::uint64_t spins = 10'000'000;
    std::uint32_t seed = 12'345'678;
    bool period = true;
    std::string out;
};

std::size_t u(std::int64_t v) { return static_cast<std::size_t>(v); }

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string percent(double v, int decimals = 4) { return fixed(100.0 * v, decimals) + " %"; }

std::string pattern(int row) {
    const auto& p = kPaytable[u(row - 1)].pattern;
    return std::string{p[0], ' ', p[1], ' ', p[2]};
}

// Over the whole period of the generator (2^32 states, each visited once),
// how often each triple of consecutive random(30) draws occurs, and how often
// each value of a single random(30) and random(11) draw occurs.
struct PeriodCounts {
    std::uint32_t tripleMin = 0, tripleMax = 0;
    std::uint32_t single30Min = 0, single30Max = 0;
    std::uint32_t single11Min = 0, single11Max = 0;
    double seconds = 0;
};

PeriodCounts countPeriod() {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<std::uint32_t> triples(u(kStops));
    std::array<std::uint32_t, 30> ones{};
    std::array<std::uint32_t, 11> elevens{};
    RandomSource gen(0);
    // A window of three consecutive states: the reel draws of a spin.
    auto d30 = [](std::uint32_t s) { return static_cast<std::uint32_t>((std::uint64_t{s} * 30u) >> 32); };
    auto d11 = [](std::uint32_t s) { return static_cast<std::uint32_t>((std::uint64_t{s} * 11u) >> 32); };
    gen.random(1);
    std::uint32_t a = d30(gen.seed());
    gen.random(1);
    std::uint32_t b = d30(gen.seed());
    for (std::uint64_t i = 0; i < (std::uint64_t{1} << 32); ++i) {
        gen.random(1);
        const std::uint32_t s = gen.seed();
        const std::uint32_t c = d30(s);
        ++triples[a * 900u + b * 30u + c];
        ++ones[c];
        ++elevens[d11(s)];
        a = b;
        b = c;
    }
    PeriodCounts p;
    auto [lo3, hi3] = std::minmax_element(triples.begin(), triples.end());
    p.tripleMin = *lo3;
    p.tripleMax = *hi3;
    auto [lo30, hi30] = std::minmax_element(ones.begin(), ones.end());
    p.single30Min = *lo30;
    p.single30Max = *hi30;
    auto [lo11, hi11] = std::minmax_element(elevens.begin(), elevens.end());
    p.single11Min = *lo11;
    p.single11Max = *hi11;
    p.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return p;
}

// Line return at a bet when every win on offer is doubled with a guess of
// chance p until it is lost or paid automatically (rows 1..13, in bets).
double lineReturnDoubling(const StopSheet& sheet, int bet, double p) {
    double sum = 0;
    for (int row = 1; row < kJackpotRow; ++row) {
        const std::int64_t m = kPaytable[u(row - 1)].multiplier;
        sum += sheet.probability(row) * static_cast<double>(m) * doubleUntilPaid(m * bet, p);
    }
    return sum;
}

void writeSheet(std::ostream& o, const Options& opt, const StopSheet& sheet, const ReelMoves& moves,
                const GambleOdds& gamble, const SimulationResult& sim, const std::vector<Check>& checks,
                const PeriodCounts* period) {
    const double lose = sheet.probability(kNoRow);
    const double line = sheet.lineReturn();
    const double jackpotChance = sheet.probability(kJackpotRow);

    o << "# Vornakka odds sheet\n\n"
      << "Written by the odds program (`tools/odds`); regenerate with `bench/run.sh odds` or\n"
      << "`build/tools/odds/odds_sheet --out docs/odds.md`. Every figure below is counted, not estimated,\n"
      << "except in the last section, which plays the real machine to check the counts.\n\n"
      << "All figures are for spins without held reels. A held reel keeps its letter, so with holds the\n"
      << "chances depend on what is held.\n\n";

    o << "## Why every one of the 27 000 stops is equally likely\n\n"
      << "At the start of a spin each reel draws a step count n = `random(30)` + 30, so n is one of the\n"
      << "30 values 30 .. 59. On every 10 ms tick the reel moves one position; on the tick on which its\n"
      << "count has run out it is marked stopped but still moves once more. A reel drawn with count n\n"
      << "therefore moves n + 1 positions: 31 .. 60, thirty consecutive numbers. Thirty consecutive\n"
      << "numbers leave each remainder modulo 30 exactly once, so from any start position the reel ends\n"
      << "on each of its 30 positions for exactly one of the 30 step counts. With each step count equally\n"
      << "likely, each final position is equally likely (1/30), whatever the start position and whatever\n"
      << "the other reels do; the three reels together stop on each of the 30 x 30 x 30 = 27 000\n"
      << "combinations with chance 1/27 000.\n\n"
      << "Checked on the real `SlotMachine`: for every reel, every start position 1..30 and every step\n"
      << "count 30..59 forced into the machine, the reel ended n + 1 positions further on, the spin lasted\n"
      << "n + 1 ticks, and from every start the 30 step counts reached each position exactly once: **"
      << (moves.eachFinalOnce() ? "yes" : "NO") << "** (2 700 reel runs).\n\n";
    if (period != nullptr) {
        o << "The step counts come from the game's one generator (seed x 134775813 + 1 mod 2^32, the draw\n"
          << "being the upper 32 bits of seed x n). It has the full period 2^32, and over that period\n"
          << "`random(30)` gives each value " << period->single30Min << " or " << period->single30Max
          << " times, `random(11)` " << period->single11Min << " or " << period->single11Max
          << " times. The three reel draws of a spin are consecutive outputs, so they are not\n"
          << "independent; counted over the whole period, every one of the 27 000 triples of consecutive\n"
          << "draws occurs between " << period->tripleMin << " and " << period->tripleMax << " times (ideal "
          << fixed(4294967296.0 / kStops, 2) << ", so at most "
          << percent(std::max(period->tripleMax - 4294967296.0 / kStops, 4294967296.0 / kStops - period->tripleMin) /
                         (4294967296.0 / kStops),
                     3)
          << " off). The correlation through the one generator does not show at this resolution.\n\n";
    }

    o << "## Hit frequency of every paytable row\n\n"
      << "Rows are searched in order and the first matching row pays, so each stop counts for one row\n"
      << "only. Pay = multiplier x bet; the jackpot row pays the jackpot (see below).\n\n"
      << "| Row | Line | Multiplier | Stops of 27 000 | Chance | One in | Share of the line return |\n"
      << "|---|---|---|---|---|---|---|\n";
    for (int row = 1; row <= kPaytableRows; ++row) {
        const auto combos = sheet.combos[u(row)];
        const std::int64_t m = kPaytable[u(row - 1)].multiplier;
        o << "| " << row << " | " << pattern(row) << " | " << (row == kJackpotRow ? std::string("jackpot ÷ bet")
                                                                              : std::to_string(m))
          << " | " << combos << " | " << percent(sheet.probability(row)) << " | "
          << fixed(kStops / static_cast<double>(combos), 1) << " | "
          << (row == kJackpotRow ? std::string("(separate)")
                                 : percent(static_cast<double>(combos * m) / static_cast<double>(sheet.lineReturn27000), 2))
          << " |\n";
    }
    o << "| - | no row | 0 | " << sheet.combos[0] << " | " << percent(lose) << " | " << fixed(kStops / static_cast<double>(sheet.combos[0]), 3)
      << " | - |\n\n"
      << "Any paying line: " << (kStops - sheet.combos[0]) << " of 27 000 stops, " << percent(1.0 - lose)
      << " (one spin in " << fixed(kStops / static_cast<double>(kStops - sheet.combos[0]), 3) << ").\n\n";

    o << "## Return to player, bets 1 to 5\n\n"
      << "The thirteen fixed rows pay multiplier x bet, so measured in bets their return is the same at\n"
      << "every bet: " << sheet.lineReturn27000 << " / 27 000 = **" << percent(line) << "** of the stake (standard\n"
      << "deviation of one spin " << fixed(sheet.lineReturnSd(), 4) << " bets). The jackpot line comes on top and\n"
      << "depends on the jackpot. The start adds the bet to the jackpot before the line is judged, and\n"
      << "6 6 6 pays that total rounded down to a multiple of the bet: with the jackpot at J before the\n"
      << "spin, it pays (floor(J / bet) + 1) x bet, which adds (floor(J / bet) + 1) / 27 000 to the return.\n\n"
      << "| Bet | Fixed rows, every win collected | Fixed rows, every win doubled with HYMY until paid | "
         "Jackpot line at J | Total at J = 0 | Total at J = 1 000 | Total at J = 10 000 | Smallest J for 100 % |\n"
      << "|---|---|---|---|---|---|---|---|\n";
    for (int bet = 1; bet <= 5; ++bet) {
        auto total = [&](std::int64_t j) {
            return line + static_cast<double>(jackpotPay(j, bet)) / bet * jackpotChance;
        };
        // Smallest jackpot at which the collecting player's return reaches 100 %.
        std::int64_t even = 0;
        const double need = (1.0 - line) * kStops;  // floor(J / bet) + 1 >= need
        even = static_cast<std::int64_t>(std::ceil(need) - 1) * bet;
        o << "| " << bet << " | " << percent(line) << " | " << percent(lineReturnDoubling(sheet, bet, 5.0 / 11.0))
          << " | (floor(J / " << bet << ") + 1) / 27 000 | " << percent(total(0)) << " | " << percent(total(1000))
          << " | " << percent(total(10000)) << " | " << even << " |\n";
    }
    o << "\nIn the long run the jackpot gives back what it takes in. Every spin adds its bet to the jackpot\n"
      << "and every paying line takes that bet back out, so the jackpot grows by the bet of each losing\n"
      << "spin (" << percent(lose) << " of spins) and 6 6 6 pays it out. A jackpot that is neither lost (a\n"
      << "game left unfinished when the program closes is never saved) nor cut by the rounding therefore\n"
      << "returns about " << percent(lose, 2) << " of the stakes on top of the fixed rows: a long-run return of about\n"
      << percent(line + lose + jackpotChance, 2) << " for all players together, paid out in rare large amounts\n"
      << "(at a constant bet, the jackpot at a hit averages about 27 000 x " << fixed(lose, 4)
      << " = " << fixed(kStops * lose, 0) << " bets).\n\n";

    o << "## Double-up\n\n"
      << "The face column shows three consecutive positions of the strip \"" << kFaceStrip.letters
      << "\" (J smiling, K neutral, L frowning): 5 smiling, 2 neutral and 4 frowning faces. A double-up\n"
      << "draws `random(11)` + 33 = 33 .. 43 steps and the column moves one more time than that: 34 .. 44\n"
      << "times, eleven consecutive numbers, which leave each remainder modulo 11 exactly once. So from\n"
      << "any start the middle face ends on each of the 11 positions for exactly one step count, and the\n"
      << "chance of a right guess does not depend on where the column stands. The column carries over\n"
      << "from one double-up to the next within a game (only a new game sets it back to 1, 2, 3), but\n"
      << "since the outcome is the same from every start, no long-run (stationary) distribution of the\n"
      << "column is needed: the chance is the same for the first double-up of a game and for every later\n"
      << "one.\n\n"
      << "Measured on the real `SlotMachine`, every start of the middle face and every one of the 11 step\n"
      << "counts forced in turn (wins out of 11):\n\n"
      << "| Middle face at start | Face there | HYMY wins | DEPRESSIO wins |\n|---|---|---|---|\n";
    for (int start = 1; start <= kFaceStripLength; ++start) {
        o << "| " << start << " | " << kFaceStrip.at(start) << " | " << gamble.wins[0][u(start - 1)] << " / 11 | "
          << gamble.wins[1][u(start - 1)] << " / 11 |\n";
    }
    o << "\n- \"HYMY\" (smile) wins with chance 5/11 = " << percent(5.0 / 11.0, 3)
      << "; doubling with it keeps 10/11 = " << percent(10.0 / 11.0, 2) << " of the amount on average.\n"
      << "- \"DEPRESSIO\" (frown) wins with chance 4/11 = " << percent(4.0 / 11.0, 3)
      << "; doubling with it keeps 8/11 = " << percent(8.0 / 11.0, 2) << " of the amount on average.\n"
      << "- The neutral face (2/11) loses either guess. Doubling never pays on average; \"HYMY\" is the\n"
      << "  better guess every time.\n"
      << "- Amounts of 151 and more are paid at once, so an offered amount A is doubled at most until\n"
      << "  A x 2^k >= 151; doubling with \"HYMY\" all the way returns (10/11)^k of A:\n\n"
      << "| Offered amount | Doublings until paid | Paid if every guess is right | Kept on average with HYMY |\n"
      << "|---|---|---|---|\n";
    for (std::int64_t a : {1, 2, 4, 5, 8, 10, 15, 20, 30, 40, 50, 75, 100}) {
        const int k = doublingsUntilPaid(a);
        o << "| " << a << " | " << k << " | " << (a << k) << " | " << percent(doubleUntilPaid(a, 5.0 / 11.0), 2) << " |\n";
    }

    o << "\n## Checked against the real machine\n\n"
      << "A seeded simulation of the real `SlotMachine` (seed " << opt.seed << ", " << sim.spins
      << " spins, the bet cycling 1..5 with the PANOS button, every win doubled with HYMY and DEPRESSIO\n"
      << "in turn until lost or paid, a game left with 5 or less cashed out for a fresh one; " << sim.reelTicks << " reel ticks and " << (sim.gambles[0] + sim.gambles[1])
      << " double-ups). Each frequency must lie within "
      << kMaxStandardErrors << " standard errors of the\ncounted figure, and each chi-square test must give p >= "
      << kChiSquareLevel << ".\n\n"
      << "| Check | Observed | Exact | Standard error | z or p | Passed |\n|---|---|---|---|---|---|\n";
    for (const Check& c : checks) {
        o << "| " << c.name << " | ";
        if (c.pValue >= 0) {
            o << "chi² " << fixed(c.observed, 1) << " | " << c.dof << " dof | - | p = " << fixed(c.pValue, 4);
        } else if (c.standardError > 0) {
            o << fixed(c.observed, 6) << " | " << fixed(c.expected, 6) << " | " << fixed(c.standardError, 6)
              << " | z = " << fixed((c.observed - c.expected) / c.standardError, 2);
        } else {
            o << fixed(c.observed, 0) << " | 0 | - | -";
        }
        o << " | " << (c.passed ? "yes" : "**NO**") << " |\n";
    }
    o << "\nThe test suite runs the same checks on a shorter simulation (`core/tests/odds_test.cpp`).\n";
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--spins" && i + 1 < argc) {
            opt.spins = std::strtoull(argv[++i], nullptr, 10);
        } else if (a == "--seed" && i + 1 < argc) {
            opt.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--skip-period") {
            opt.period = false;
        } else if (a == "--out" && i + 1 < argc) {
            opt.out = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--spins N] [--seed S] [--skip-period] [--out FILE]\n", argv[0]);
            return 2;
        }
    }
    if (opt.seed >= 86'400'000u) {
        std::fprintf(stderr, "the seed is a time of day in milliseconds: below 86400000\n");
        return 2;
    }

    const StopSheet sheet = countStops();
    const ReelMoves moves = measureReelMoves();
    const GambleOdds gamble = measureGambleOdds();
    PeriodCounts period;
    if (opt.period) period = countPeriod();

    const auto t0 = std::chrono::steady_clock::now();
    const SimulationResult sim = simulate(opt.spins, opt.seed);
    const double simSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const std::vector<Check> checks = compare(sheet, sim);

    std::ostringstream doc;
    writeSheet(doc, opt, sheet, moves, gamble, sim, checks, opt.period ? &period : nullptr);
    if (!opt.out.empty()) {
        std::ofstream f(opt.out, std::ios::binary);
        f << doc.str();
        if (!f.flush()) {
            std::fprintf(stderr, "cannot write %s\n", opt.out.c_str());
            return 2;
        }
    }

    bool ok = moves.eachFinalOnce();
    for (const auto& g : gamble.wins[0]) ok = ok && g == 5;
    for (const auto& g : gamble.wins[1]) ok = ok && g == 4;
    std::printf("odds: line return (rows 1-13) %" PRId64 "/27000 = %.4f %%, losing lines %.4f %%, 6-6-6 1/27000\n",
                sheet.lineReturn27000, 100.0 * sheet.lineReturn(), 100.0 * sheet.probability(kNoRow));
    std::printf("odds: every stop equally likely on the real machine: %s; double-up HYMY 5/11, DEPRESSIO 4/11 "
                "from every start: %s\n",
                moves.eachFinalOnce() ? "yes" : "NO", ok ? "yes" : "NO");
    if (opt.period) {
        std::printf("odds: generator period: triples of reel draws %u..%u per cell (ideal %.2f), %.1f s\n",
                    period.tripleMin, period.tripleMax, 4294967296.0 / kStops, period.seconds);
    }
    std::printf("odds: simulation of %" PRIu64 " spins (seed %u) in %.1f s, %.0f spins/s\n", sim.spins, opt.seed,
                simSeconds, static_cast<double>(sim.spins) / simSeconds);
    for (const Check& c : checks) {
        ok = ok && c.passed;
        if (c.pValue >= 0) {
            std::printf("  %-4s %-50s chi2 %.1f, %d dof, p = %.4f\n", c.passed ? "ok" : "FAIL", c.name.c_str(),
                        c.observed, c.dof, c.pValue);
        } else if (c.standardError > 0) {
            std::printf("  %-4s %-50s %.6f vs %.6f, z = %+.2f\n", c.passed ? "ok" : "FAIL", c.name.c_str(), c.observed,
                        c.expected, (c.observed - c.expected) / c.standardError);
        } else {
            std::printf("  %-4s %-50s %.0f\n", c.passed ? "ok" : "FAIL", c.name.c_str(), c.observed);
        }
    }
    if (!opt.out.empty()) std::printf("odds: wrote %s\n", opt.out.c_str());
    return ok ? 0 : 1;
}
