#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"

namespace vornakka {
namespace {

using testing::Rig;
using Calls = std::vector<std::string>;

int wrapPos(int p) { return (p - 1) % 30 + 1; }

TEST(Spin, AWholeSpinTickByTick) {
    Rig rig;
    rig.startUp(12345);
    // Replay the draws with our own generator: three at the reset, three at the start.
    RandomSource r(12345);
    int start[3], count[3];
    for (int& p : start) p = static_cast<int>(r.random(30)) + 1;
    for (int& c : count) c = static_cast<int>(r.random(30)) + 30;
    ASSERT_EQ(rig.s().reelPos[0], start[0]);

    rig.sounds.take();
    rig.view.calls.clear();
    rig.machine().pressStart();
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Koss", "stop Voitto", "stop Havio", "play Kaynnistys"}));
    EXPECT_EQ(rig.view.calls, (Calls{"message:", "counters", "timer=on"}));
    EXPECT_EQ(rig.s().credits, 49);
    EXPECT_EQ(rig.s().jackpot, 1);
    EXPECT_EQ(rig.s().lastSpinBet, 1);
    EXPECT_FALSE(rig.s().holdBlocked);

    // Presses during the spin are ignored without a sound.
    rig.machine().pressBet();
    rig.machine().pressHold(1);
    rig.machine().pressStart();
    rig.machine().pressCollect();
    EXPECT_TRUE(rig.sounds.take().empty());
    EXPECT_EQ(rig.s().bet, 1);

    // Every tick moves each moving reel one step and shows it in its colour.
    rig.view.calls.clear();
    rig.machine().reelTick();
    EXPECT_EQ(rig.view.calls, (Calls{std::string("reel1=") + kReelStrips[0].at(wrapPos(start[0] + 1)),
                                     std::string("reel2=") + kReelStrips[1].at(wrapPos(start[1] + 1)),
                                     std::string("reel3=") + kReelStrips[2].at(wrapPos(start[2] + 1))}));
    const int ticks = 1 + rig.runSpin();
    EXPECT_EQ(ticks, std::max({count[0], count[1], count[2]}) + 1);
    for (int i = 0; i < 3; ++i) {
        const int final = wrapPos(start[i] + count[i] + 1);  // moves count + 1 times
        EXPECT_EQ(rig.s().reelPos[static_cast<std::size_t>(i)], final);
        EXPECT_EQ(rig.view.reel[i], kReelStrips[static_cast<std::size_t>(i)].at(final));
        EXPECT_EQ(rig.view.reelColour[i], symbolColourOf(rig.view.reel[i]));
    }
    EXPECT_FALSE(rig.view.reelTimer);
}

TEST(Spin, HeldReelsKeepTheirLetterAndHoldsFollowTheBlockRules) {
    // The hold rules around a first spin that loses.
    Rig rig;
    rig.startUp(0);

    // After start-up holds are blocked: the press sounds but changes nothing.
    rig.sounds.take();
    rig.machine().pressHold(2);
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Voitto", "stop Havio", "stop Koss", "stop Kaynnistys", "play Lukitus"}));
    EXPECT_FALSE(rig.s().held[1]);
    EXPECT_FALSE(rig.view.lamp[1]);

    testing::aimAt(rig, test::ScriptedPlayer::kLosingLine);
    rig.machine().pressStart();
    rig.runSpin();
    ASSERT_FALSE(rig.s().holdBlocked);  // a losing spin without holds allows them

    // A hold toggles the lamp at once; a second press releases it.
    rig.machine().pressHold(2);
    EXPECT_TRUE(rig.s().held[1]);
    EXPECT_TRUE(rig.view.lamp[1]);
    rig.machine().pressHold(2);
    EXPECT_FALSE(rig.view.lamp[1]);
    rig.machine().pressHold(2);

    // Raising the bet above the last spin's bet refuses new holds, but the
    // one already set stays.
    rig.machine().pressBet();
    ASSERT_EQ(rig.s().bet, 2);
    rig.machine().pressHold(3);
    EXPECT_FALSE(rig.s().held[2]);
    EXPECT_TRUE(rig.s().held[1]);

    const char kept = rig.view.reel[1];
    const int keptPos = rig.s().reelPos[1];
    rig.view.calls.clear();
    rig.machine().pressStart();
    rig.runSpin();
    EXPECT_EQ(rig.view.reel[1], kept);
    EXPECT_EQ(rig.s().reelPos[1], keptPos);
    for (const auto& c : rig.view.calls) EXPECT_NE(c.rfind("reel2=", 0), 0u) << "held reel moved";
    // The end of the spin darkens every lamp and blocks holds for the next.
    EXPECT_FALSE(rig.view.lamp[1]);
    EXPECT_FALSE(rig.s().held[1]);
    EXPECT_TRUE(rig.s().holdBlocked);
}

TEST(Spin, AllThreeHeldEndsOnTheFirstTick) {
    Rig rig;
    rig.startUp(0);
    rig.player.spin(test::ScriptedPlayer::kLosingLine);  // holds are allowed after it
    const auto before = rig.s().shownSymbol;
    for (int r = 1; r <= 3; ++r) rig.machine().pressHold(r);
    rig.machine().pressStart();
    EXPECT_EQ(rig.runSpin(), 1);
    EXPECT_EQ(rig.s().shownSymbol, before);
}

TEST(Bet, CyclesAndNeverExceedsTheMoney) {
    Rig rig;
    rig.startUp(1);
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        rig.machine().pressBet();
        seen.push_back(rig.s().bet);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 5, 1, 2}));
    rig.machine().pressBet();
    rig.machine().pressBet();  // 4
    EXPECT_EQ(rig.view.counters.bet, 4);
    const std::int32_t amounts[8] = {80, 40, 32, 16, 8, 60, 24, 24};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.view.counters.amounts[i], amounts[i]);
}

TEST(Bet, TheLastMoneyIsBetWholeFromCreditsThenWinnings) {
    Rig rig;
    rig.startUp(7);
    const std::string losing = test::ScriptedPlayer::kLosingLine;

    // Credits 0, winnings 2, bet 5 (2 won and collected, then the credits
    // lost, the last 5 at bet 5): the start bets the 2.
    rig.player.winAndCollect(1, "CUB");
    rig.player.loseDownTo(5);
    rig.player.setBet(5);
    rig.player.spin(losing);
    ASSERT_EQ(rig.s().credits, 0);
    ASSERT_EQ(rig.s().winnings, 2);
    ASSERT_EQ(rig.s().jackpot, 49);  // every credit lost went in
    rig.player.aim(losing);
    rig.machine().pressStart();
    EXPECT_EQ(rig.s().bet, 2);
    EXPECT_EQ(rig.s().lastSpinBet, 5);
    EXPECT_EQ(rig.s().credits, 0);
    EXPECT_EQ(rig.s().winnings, 0);
    EXPECT_EQ(rig.s().jackpot, 51);
    EXPECT_EQ(rig.view.counters.bet, 2);
    rig.runSpin();  // the game is over; a fresh one starts

    // Credits 2, winnings 10, bet 4: the credits go first, winnings pay the rest.
    rig.player.winAndCollect(1, "BBB");
    rig.player.loseDownTo(2);
    rig.player.setBet(4);
    rig.player.aim(losing);
    rig.machine().pressStart();
    EXPECT_EQ(rig.s().credits, 0);
    EXPECT_EQ(rig.s().winnings, 8);

    // With 2 in all the bet cycles 1, 2, 1.
    rig.runSpin();
    rig.player.setBet(5);
    rig.player.spin(losing);  // 3 left
    rig.player.setBet(1);
    rig.player.spin(losing);
    ASSERT_EQ(rig.s().winnings, 2);
    rig.machine().pressBet();
    EXPECT_EQ(rig.s().bet, 2);
    rig.machine().pressBet();
    EXPECT_EQ(rig.s().bet, 1);
}

TEST(Bet, ReelPositionThirtyStepsToOne) {
    Rig rig;
    rig.startUp(0);
    // A spin that stops every reel on position 30.
    rig.random.reseed(test::seedForStops(rig.s().reelPos, {30, 30, 30}));
    rig.machine().pressStart();
    rig.runSpin();
    if (!rig.s().doubleClosed) rig.machine().pressCollect();  // the win, if the line pays
    ASSERT_EQ(rig.s().reelPos, (std::array<std::int32_t, 3>{30, 30, 30}));
    rig.machine().pressStart();
    rig.machine().reelTick();
    EXPECT_EQ(rig.s().reelPos, (std::array<std::int32_t, 3>{1, 1, 1}));
    EXPECT_EQ(rig.view.reel[0], 'C');
}

}  // namespace
}  // namespace vornakka
