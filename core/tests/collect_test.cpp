#include <gtest/gtest.h>

#include "fakes.h"

namespace vornakka {
namespace {

using testing::Rig;
using Calls = std::vector<std::string>;

TEST(Collect, AnOfferedWinGoesToWinningsAndTheMessageStays) {
    Rig rig;
    rig.startUp(2);
    rig.change([&](MachineState& st) {
        st.pendingWin = 30;
        st.doubleFactor = 2;
        st.doubleClosed = false;
        st.stopped = {false, false, false};
    });
    rig.view.showMessage("VOITIT 60MK. TUPLAATKO?");
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
    rig.change([](MachineState& st) { st.credits = 0; });
    rig.machine().pressStart();
    EXPECT_EQ(rig.s().winnings, 59);
}

TEST(CashOut, AQualifyingScoreOpensTheNameEntryWithTheGameReset) {
    Rig rig;
    rig.jackpot.stored = 40;
    rig.startUp(3);
    rig.change([&](MachineState& st) {
        st.winnings = 95;  // row 10 holds 10
        st.credits = 12;
        st.lastWin = 7;
        st.held = {true, false, true};
    });
    rig.view.setHoldLamp(1, true);
    rig.view.setHoldLamp(3, true);
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
    EXPECT_EQ(rig.view.counters.lastWin, 7);
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
    rig.change([&](MachineState& st) {
        st.winnings = 300;
    });
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
    rig.change([&](MachineState& st) {
        st.credits = 1;
    });
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
