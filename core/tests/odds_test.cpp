// The odds sheet's figures, counted by hand from the strips, and a seeded run
// of the real machine that must agree with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "odds.h"
#include "simulation.h"
#include "stats.h"

namespace vornakka {
namespace {

using namespace odds;

TEST(Odds, ChiSquareTailIsRight) {
    // Table values: the 5 % points of 1 and 10 degrees of freedom, the 0.1 %
    // point of 29 (a reel's 30 positions).
    EXPECT_NEAR(chiSquarePValue(3.841, 1), 0.05, 1e-4);
    EXPECT_NEAR(chiSquarePValue(18.307, 10), 0.05, 1e-4);
    EXPECT_NEAR(chiSquarePValue(58.301, 29), 0.001, 1e-5);
    EXPECT_NEAR(chiSquarePValue(0.0, 5), 1.0, 1e-12);
    // A large table: the median of chi-square with k dof is about k - 2/3.
    EXPECT_NEAR(chiSquarePValue(26999.0 - 2.0 / 3.0, 26999), 0.5, 1e-3);
    // A fair coin that came up 600 times in 1 000 is rejected; 510 is not.
    const std::uint64_t biased[] = {600, 400};
    const std::uint64_t fair[] = {510, 490};
    EXPECT_LT(chiSquarePValue(chiSquareStatistic(biased), 1), 1e-9);
    EXPECT_GT(chiSquarePValue(chiSquareStatistic(fair), 1), 0.5);
    const double weights[] = {0.75, 0.25};
    const std::uint64_t threeToOne[] = {750, 250};
    EXPECT_NEAR(chiSquareStatistic(threeToOne, weights), 0.0, 1e-9);
}

// Counted by hand from the strips. Reel 1: A 3, B 4, C 6, E 3, F 3, G 4, U 6,
// 6 1; reel 2: A 3, B 4, C 5, E 4, F 4, G 4, U 5, 6 1; reel 3: * 4, A 3, B 4,
// C 3, D 6, E 2, F 2, G 3, U 2, 6 1.
TEST(Odds, CountedStopsMatchTheStrips) {
    const StopSheet sheet = countStops();
    const std::array<std::int64_t, 15> byHand = {
        0,
        3 * 3 * 3,       // A A A
        4 * 4 * 4,       // B B B
        6 * 5 * 3,       // C C C
        6 * 5 * 27,      // C C ?, not C C C
        6 * 25 * 6,      // C ? D, reel 2 not C
        6 * 25 * 24,     // C ? ?, neither of the above
        24 * 30 * 6,     // ? ? D, reel 1 not C
        3 * 4 * 2,       // E E E
        3 * 4 * 4,       // E E *
        3 * 4 * 2,       // F F F
        3 * 4 * 4,       // F F *
        4 * 4 * 3,       // G G G
        4 * 4 * 4,       // G G *
        1,               // 6 6 6
    };
    std::int64_t paying = 0;
    for (int row = 1; row <= kPaytableRows; ++row) {
        EXPECT_EQ(sheet.combos[static_cast<std::size_t>(row)], byHand[static_cast<std::size_t>(row)]) << "row " << row;
        paying += byHand[static_cast<std::size_t>(row)];
    }
    EXPECT_EQ(paying, 10068);
    EXPECT_EQ(sheet.combos[0], kStops - paying);
    // 540 + 640 + 720 + 3240 + 3600 + 7200 + 8640 + 360 + 720 + 144 + 288 + 288 + 384
    EXPECT_EQ(sheet.lineReturn27000, 26764);

    EXPECT_EQ(rowOf('C', 'U', 'D'), 5);
    EXPECT_EQ(rowOf('U', 'U', 'D'), 7);
    EXPECT_EQ(rowOf('E', 'E', 'U'), kNoRow);
    EXPECT_EQ(rowOf('C', 'C', 'D'), 4);

    // The start adds the bet; 6-6-6 pays the total rounded down to the bet.
    EXPECT_EQ(jackpotPay(0, 1), 1);
    EXPECT_EQ(jackpotPay(998, 5), 1000);
    EXPECT_EQ(jackpotPay(7, 4), 8);

    EXPECT_EQ(doublingsUntilPaid(100), 1);
    EXPECT_EQ(doublingsUntilPaid(75), 2);  // 150 is still offered
    EXPECT_EQ(doublingsUntilPaid(151), 0);
    EXPECT_NEAR(doubleUntilPaid(40, 0.5), 1.0, 1e-12);
    EXPECT_NEAR(doubleUntilPaid(40, 5.0 / 11.0), 100.0 / 121.0, 1e-12);
}

TEST(Odds, EveryStopIsReachedOnceFromEveryStartOnTheRealMachine) {
    const ReelMoves moves = measureReelMoves();
    EXPECT_TRUE(moves.eachFinalOnce());
    for (std::size_t reel = 0; reel < 3; ++reel) {
        for (int start = 1; start <= 30; ++start) {
            for (int n = 30; n <= 59; ++n) {
                const auto s = static_cast<std::size_t>(start - 1);
                const auto k = static_cast<std::size_t>(n - 30);
                ASSERT_EQ(moves.finals[reel][s][k], (start - 1 + n + 1) % 30 + 1)
                    << "reel " << reel + 1 << " start " << start << " n " << n;
                ASSERT_EQ(moves.ticks[reel][s][k], n + 1);
            }
        }
    }
}

TEST(Odds, DoubleUpChanceIsTheSameFromEveryStartOnTheRealMachine) {
    const GambleOdds g = measureGambleOdds();
    for (int start = 1; start <= 11; ++start) {
        const auto s = static_cast<std::size_t>(start - 1);
        EXPECT_EQ(g.wins[0][s], 5) << "HYMY from " << start;
        EXPECT_EQ(g.wins[1][s], 4) << "DEPRESSIO from " << start;
        std::set<int> ends(g.middle[s].begin(), g.middle[s].end());
        EXPECT_EQ(ends.size(), 11u) << "from " << start;
        for (std::size_t k = 0; k < 11; ++k) {
            // Steps 33 + k: the column moves 34 + k times.
            EXPECT_EQ(g.moves[s][k], 34 + static_cast<int>(k));
            EXPECT_EQ(g.middle[s][k], (start - 1 + 34 + static_cast<int>(k)) % 11 + 1);
        }
    }
}

// A shorter run of the simulation the odds program plays with 10 million
// spins; sized to take a few seconds.
TEST(Odds, SeededSimulationOfTheRealMachineAgreesWithTheCounts) {
    const StopSheet sheet = countStops();
    const SimulationResult sim = simulate(2'000'000, 4711);
    ASSERT_EQ(sim.spins, 2'000'000u);
    EXPECT_GT(sim.gambles[0] + sim.gambles[1], 1'000'000u);
    EXPECT_GT(sim.rowHits[kJackpotRow], 0u);
    for (const Check& c : compare(sheet, sim)) {
        EXPECT_TRUE(c.passed) << c.name << ": observed " << c.observed << ", expected " << c.expected
                              << ", standard error " << c.standardError << ", p " << c.pValue;
    }
}

// The comparison does catch a machine that is off: the same run with one
// row's hits moved to another, and with one reel's stops skewed.
TEST(Odds, ComparisonRejectsASkewedMachine) {
    const StopSheet sheet = countStops();
    SimulationResult sim = simulate(50'000, 99);
    auto failures = [&] {
        int n = 0;
        for (const Check& c : compare(sheet, sim)) n += c.passed ? 0 : 1;
        return n;
    };
    ASSERT_EQ(failures(), 0);
    SimulationResult skewed = sim;
    skewed.rowHits[1] += 100;  // A A A a third more often
    skewed.rowHits[0] -= 100;
    std::swap(sim, skewed);
    EXPECT_GE(failures(), 1);
    std::swap(sim, skewed);
    sim.finalStops[0][0] += 200;
    sim.finalStops[0][1] -= 200;
    EXPECT_GE(failures(), 1);
}

}  // namespace
}  // namespace vornakka
