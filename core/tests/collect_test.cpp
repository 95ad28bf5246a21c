#include <gtest/gtest.h>

#include "fakes.h"

namespace vornakka {
namespace {

using testing::Rig;
using Calls = std::vector<std::string>;

TEST(Collect, AnOfferedWinGoesToWinningsAndTheMessageStays) {
    Rig rig;
    rig.startUp(2);
    // The last 3 credits bet on BBB: 30 on offer, doubled once to 60.
    rig.player.loseDownTo(3);
    rig.player.setBet(3);
    rig.player.spin("BBB");
    rig.player.doubleRight();
    ASSERT_EQ(rig.view.message, "VOITIT 60MK. TUPLAATKO?");
    rig.sounds.take();
    rig.machine().pressCollect();
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Voitto", "stop Kaynnistys", "stop Lukitus", "stop Voitonmaksu",
                                        "stop Koss", "stop Tuplaus", "stop Ruplaus", "play VYlos"}));
    EXPECT_EQ(rig.s().winnings, 60);
    EXPECT_EQ(rig.s().lastWin, 60);
    EXPECT_EQ(rig.view.counters.winnings, 60);
    EXPECT_EQ(rig.view.counters.lastWin, 60);
    EXPECT_EQ(rig.view.message, "VOITIT 60MK. TUPLAATKO?");
    EXPECT_TRUE(rig.s().allStopped());
    EXPECT_TRUE(rig.jackpot.saves.empty());  // a collect is not a cash-out
    EXPECT_EQ(rig.view.highScoresOpened, 0);

    // The collected win pays the next bets once the credits are gone.
    ASSERT_EQ(rig.s().credits, 0);
    rig.player.setBet(1);
    rig.machine().pressStart();
    EXPECT_EQ(rig.s().winnings, 59);
}

TEST(CashOut, AQualifyingScoreOpensTheNameEntryWithTheGameReset) {
    Rig rig;
    rig.jackpot.stored = 39;  // the losing spin below adds 1
    rig.startUp(3);
    rig.player.winAndCollect(4, "AAA");  // 80
    rig.player.winAndCollect(1, "EEE");  // 15: 95 in all, and row 10 holds 10
    rig.player.spin(test::ScriptedPlayer::kLosingLine);  // a losing spin allows holds
    rig.machine().pressHold(1);
    rig.machine().pressHold(3);
    ASSERT_TRUE(rig.view.lamp[0] && rig.view.lamp[2]);
    rig.sounds.take();
    rig.view.calls.clear();
    rig.machine().pressCollect();
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Voitto", "stop Havio", "stop Kaynnistys", "stop Lukitus", "play Voitonmaksu"}));
    EXPECT_EQ(rig.s().finalScore, 95);  // credits never won are not part of the score
    EXPECT_EQ(rig.jackpot.saves, (std::vector<std::int32_t>{40}));
    EXPECT_EQ(rig.view.nameEntries, (std::vector<std::int32_t>{95}));
    EXPECT_EQ(rig.view.highScoresOpened, 0);
    EXPECT_FALSE(rig.view.lamp[0]);
    EXPECT_FALSE(rig.view.lamp[2]);
    EXPECT_TRUE(rig.s().holdBlocked);
    // The fresh game on show keeps the last win and the jackpot.
    EXPECT_EQ(rig.view.counters.credits, 50);
    EXPECT_EQ(rig.view.counters.winnings, 0);
    EXPECT_EQ(rig.view.counters.lastWin, 15);
    EXPECT_EQ(rig.view.counters.jackpot, 40);
    EXPECT_EQ(rig.view.calls.back(), "counters");
    EXPECT_EQ(rig.view.calls[rig.view.calls.size() - 2], "openNameEntry:95");

    // After a cash-out holds stay refused until one spin has been played.
    rig.machine().pressHold(1);
    EXPECT_FALSE(rig.s().held[0]);
}

TEST(CashOut, AScoreThatDoesNotBeatRowTenGoesStraightToTheList) {
    Rig rig;
    rig.scores.rows[9].score = 0;
    rig.startUp(4);
    rig.machine().pressCollect();  // winnings 0, not above 0
    EXPECT_TRUE(rig.view.nameEntries.empty());
    EXPECT_EQ(rig.view.highScoresOpened, 1);
    EXPECT_EQ(rig.jackpot.saves.size(), 1u);
}

TEST(CashOut, AFailedSaveLeavesTheGameAsItWas) {
    Rig rig;
    rig.startUp(4);
    for (int win = 0; win < 3; ++win) rig.player.winAndCollect(5, "AAA");  // 100 each
    rig.jackpot.failSave = "Disk full";
    EXPECT_THROW(rig.machine().pressCollect(), IoError);
    EXPECT_EQ(rig.s().winnings, 300);
    EXPECT_TRUE(rig.view.nameEntries.empty());
    rig.jackpot.failSave.reset();
    rig.machine().pressCollect();  // the player presses again
    EXPECT_EQ(rig.view.nameEntries, (std::vector<std::int32_t>{300}));
}

TEST(NewGame, HoldsAfterALosingGameOverAreAcceptedAtOnce) {
    Rig rig;
    rig.startUp(8);
    rig.player.loseDownTo(1);
    testing::aimAt(rig, "UFB");
    rig.machine().pressStart();
    rig.runSpin();
    ASSERT_EQ(rig.view.highScoresOpened, 1);
    const char kept = rig.view.reel[0];
    rig.machine().pressHold(1);
    EXPECT_TRUE(rig.s().held[0]);
    rig.machine().pressStart();
    rig.runSpin();
    // The held reel showed the previous game's last letter, not the new reelPos.
    EXPECT_EQ(rig.view.reel[0], kept);
    EXPECT_EQ(kept, 'U');
}

}  // namespace
}  // namespace vornakka
