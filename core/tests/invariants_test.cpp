#include <gtest/gtest.h>

#include "fakes.h"

namespace vornakka {
namespace {

// Plays a long random session of presses and ticks and checks after every
// step that the machine is in exactly one of its four conditions and that the
// window shows what the state holds.
TEST(Invariants, HoldThroughARandomSession) {
    testing::Rig rig;
    rig.jackpot.stored = 100;
    rig.startUp(31337);
    RandomSource dice(2024);
    long spins = 0, gambles = 0, gameEnds = 0;

    for (int step = 0; step < 200000; ++step) {
        const auto& s = rig.s();
        const std::uint32_t pick = dice.random(100);
        const std::string what = std::to_string(step) + " pick " + std::to_string(pick);
        if (pick < 40) {
            if (rig.view.reelTimer) rig.machine().reelTick();
        } else if (pick < 60) {
            rig.machine().gambleTick();
        } else if (pick < 66) {
            rig.machine().pressStart();
        } else if (pick < 70) {
            rig.machine().pressBet();
        } else if (pick < 76) {
            rig.machine().pressHold(static_cast<int>(dice.random(3)) + 1);
        } else if (pick < 80) {
            rig.machine().pressCollect();
        } else if (pick < 88) {
            rig.machine().pressDouble();
        } else if (pick < 94) {
            rig.machine().pressSmile();
        } else {
            rig.machine().pressFrown();
        }
        spins += s.lastSpinBet != 0 && rig.view.reelTimer;
        gambles += s.gambleSpinning;

        ASSERT_GE(s.bet, 1) << what;
        ASSERT_LE(s.bet, 5) << what;
        for (int i = 0; i < 3; ++i) {
            const auto u = static_cast<std::size_t>(i);
            ASSERT_GE(s.reelPos[u], 1) << what;
            ASSERT_LE(s.reelPos[u], 30) << what;
            ASSERT_GE(s.facePos[u], 1) << what;
            ASSERT_LE(s.facePos[u], 11) << what;
            ASSERT_EQ(s.held[u], rig.view.lamp[i]) << what;
            ASSERT_EQ(s.shownSymbol[u], rig.view.reel[i]) << what;
            ASSERT_EQ(kFaceStrip.at(s.facePos[u]), rig.view.faces[i]) << what;
        }
        ASSERT_EQ(s.facePos[1], s.facePos[0] % 11 + 1) << what;
        ASSERT_EQ(s.facePos[2], s.facePos[1] % 11 + 1) << what;

        const bool gambling = s.gambleSpinning || s.gambleChoice != 3;
        const bool idle = s.allStopped() && s.doubleClosed && !gambling;
        const bool offered = !s.doubleClosed;
        const bool spinning = !s.allStopped() && s.doubleClosed && !gambling;
        ASSERT_EQ(idle + offered + spinning + gambling, 1) << what;
        const MachineCondition condition = idle      ? MachineCondition::Idle
                                           : offered ? MachineCondition::WinOffered
                                           : spinning ? MachineCondition::Spinning
                                                      : MachineCondition::Gambling;
        ASSERT_EQ(rig.machine().condition(), condition) << what;
        if (offered) {
            ASSERT_FALSE(s.stopped[0] || s.stopped[1] || s.stopped[2]) << what;
            ASSERT_LT(std::int64_t{s.pendingWin} * s.doubleFactor, 151) << what;
        }
        if (gambling) {
            ASSERT_FALSE(s.allStopped()) << what;
        }
        ASSERT_EQ(rig.view.reelTimer, spinning) << what;
        ASSERT_GE(std::int64_t{s.credits} + s.winnings, 0) << what;
        if (idle) {
            ASSERT_GT(std::int64_t{s.credits} + s.winnings, 0) << what;
        }

        const Counters expected = rig.machine().counters();
        ASSERT_EQ(rig.view.counters.bet, expected.bet) << what;
        ASSERT_EQ(rig.view.counters.credits, expected.credits) << what;
        ASSERT_EQ(rig.view.counters.winnings, expected.winnings) << what;
        ASSERT_EQ(rig.view.counters.jackpot, expected.jackpot) << what;
        ASSERT_EQ(rig.view.counters.lastWin, expected.lastWin) << what;
        ASSERT_EQ(rig.view.counters.amounts[0], expected.amounts[0]) << what;
    }
    gameEnds = rig.view.highScoresOpened + static_cast<long>(rig.view.nameEntries.size());
    // The session really went everywhere.
    EXPECT_GT(spins, 1000);
    EXPECT_GT(gambles, 1000);
    EXPECT_GT(gameEnds, 10);
    EXPECT_EQ(static_cast<long>(rig.jackpot.saves.size()), gameEnds);
}

}  // namespace
}  // namespace vornakka
