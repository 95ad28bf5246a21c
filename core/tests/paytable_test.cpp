#include <gtest/gtest.h>

#include <limits>

#include "fakes.h"

namespace vornakka {
namespace {

using testing::Rig;
using Calls = std::vector<std::string>;

TEST(Paytable, AWinIsOfferedWithItsSoundsAndMessage) {
    Rig rig;
    rig.startUp(99);
    rig.machine().pressBet();  // bet 2
    testing::aimAt(rig, "CCC");
    rig.machine().pressStart();
    rig.sounds.take();
    rig.view.calls.clear();
    rig.runSpin();
    EXPECT_EQ(std::string(rig.s().shownSymbol.begin(), rig.s().shownSymbol.end()), "CCC");
    EXPECT_EQ(rig.view.message, "VOITIT 16 MK. TUPLAATKO?");
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Havio", "stop Kaynnistys", "play Voitto"}));
    // Win offered: reels flagged moving, offer open, timer off, jackpot back.
    EXPECT_FALSE(rig.s().stopped[0]);
    EXPECT_FALSE(rig.s().doubleClosed);
    EXPECT_FALSE(rig.view.reelTimer);
    EXPECT_EQ(rig.s().pendingWin, 16);
    EXPECT_EQ(rig.s().jackpot, 0);
    EXPECT_TRUE(rig.s().holdBlocked);
    // Only collect and double act now.
    rig.machine().pressStart();
    rig.machine().pressBet();
    rig.machine().pressHold(1);
    EXPECT_TRUE(rig.sounds.take().empty());
    // The tail of the spin: counters, lamps off, timer off, after the win.
    const auto& c = rig.view.calls;
    ASSERT_GE(c.size(), 7u);
    EXPECT_EQ((Calls(c.end() - 7, c.end())), (Calls{"counters", "message:VOITIT 16 MK. TUPLAATKO?", "counters",
                                                     "lamp1=off", "lamp2=off", "lamp3=off", "timer=off"}));
}

TEST(Paytable, EveryRowPaysItsMultiple) {
    struct Case {
        const char* line;
        std::int32_t amountAtBet3;
    };
    const Case cases[] = {{"AAA", 60}, {"BBB", 30}, {"CCC", 24}, {"CCD", 12}, {"CUD", 12}, {"CUB", 6},
                          {"UUD", 6},  {"EEE", 45}, {"EE*", 45}, {"FFF", 18}, {"FF*", 18}, {"GGG", 18},
                          {"GG*", 18}, {"EEU", 0},  {"UUU", 0}};
    for (const auto& c : cases) {
        Rig rig;
        rig.startUp(1000);
        rig.machine().pressBet();
        rig.machine().pressBet();
        testing::aimAt(rig, c.line);
        rig.machine().pressStart();
        rig.runSpin();
        ASSERT_EQ(std::string(rig.s().shownSymbol.begin(), rig.s().shownSymbol.end()), c.line);
        if (c.amountAtBet3 == 0) {
            EXPECT_TRUE(rig.s().doubleClosed) << c.line;
            EXPECT_EQ(rig.sounds.calls.back(), "play Koss") << c.line;
            EXPECT_EQ(rig.s().jackpot, 3) << c.line;  // the stake stays in the jackpot
        } else {
            EXPECT_EQ(rig.s().pendingWin, c.amountAtBet3) << c.line;
            EXPECT_EQ(rig.view.message, "VOITIT " + std::to_string(c.amountAtBet3) + " MK. TUPLAATKO?");
        }
    }
}

TEST(Paytable, AAAAtBetFiveIsOfferedNotPaid) {
    Rig rig;
    rig.startUp(5);
    for (int i = 0; i < 4; ++i) rig.machine().pressBet();
    testing::aimAt(rig, "AAA");
    rig.machine().pressStart();
    rig.runSpin();
    EXPECT_EQ(rig.s().pendingWin, 100);
    EXPECT_FALSE(rig.s().doubleClosed);
    EXPECT_EQ(rig.s().winnings, 0);
}

TEST(Jackpot, SixSixSixAtBetFivePaysAutomatically) {
    Rig rig;
    rig.jackpot.stored = 998;  // the start adds 5: 1003
    rig.startUp(31);
    for (int i = 0; i < 4; ++i) rig.machine().pressBet();
    testing::aimAt(rig, "666");
    rig.machine().pressStart();
    ASSERT_EQ(rig.s().jackpot, 1003);
    rig.sounds.take();
    rig.runSpin();
    EXPECT_EQ(rig.s().lastWin, 1000);  // 200 x 5
    EXPECT_EQ(rig.s().winnings, 1000);
    EXPECT_EQ(rig.s().jackpot, 0);
    EXPECT_EQ(rig.view.counters.jackpot, 0);
    EXPECT_EQ(rig.view.message, "Onnea!!!");
    EXPECT_TRUE(rig.s().allStopped());
    EXPECT_TRUE(rig.s().doubleClosed);
    EXPECT_EQ(rig.sounds.take(),
              (Calls{"stop Havio", "stop Kaynnistys", "play Voitto", "stop Voitto", "stop Havio", "stop Kaynnistys",
                     "stop Lukitus", "stop Voitonmaksu", "stop Koss", "play Tuplaus", "stop Voitto", "stop Havio",
                     "stop Kaynnistys", "stop Lukitus", "stop Voitonmaksu", "stop Koss", "stop Tuplaus",
                     "stop Ruplaus", "stop VYlos", "stop Welcome", "play satan"}));
    EXPECT_TRUE(rig.jackpot.saves.empty());  // saved only when the game ends
}

TEST(Jackpot, SixSixSixAtBetOneWithEmptyJackpotOffersOne) {
    Rig rig;
    rig.jackpot.stored = 0;
    rig.startUp(77);
    testing::aimAt(rig, "666");
    rig.machine().pressStart();
    rig.runSpin();
    EXPECT_EQ(rig.s().pendingWin, 1);
    EXPECT_FALSE(rig.s().doubleClosed);
    EXPECT_EQ(rig.view.message, "VOITIT 1 MK. TUPLAATKO?");
    EXPECT_EQ(rig.s().jackpot, 0);
    EXPECT_EQ(rig.sounds.calls.back(), "play satan");
}

TEST(Jackpot, SumsSaturateInsteadOfOverflowing) {
    Rig rig;
    rig.jackpot.stored = std::numeric_limits<std::int32_t>::max();
    rig.startUp(3);
    testing::aimAt(rig, "UUU");
    rig.machine().pressStart();
    EXPECT_EQ(rig.s().jackpot, std::numeric_limits<std::int32_t>::max());
    rig.runSpin();

    // A jackpot of the largest int32 won at bet 1 is paid at once; a win on
    // top of it leaves the winnings at the limit.
    testing::aimAt(rig, "666");
    rig.machine().pressStart();
    rig.runSpin();
    EXPECT_EQ(rig.s().jackpot, 0);
    rig.player.winAndCollect(1, "AAA");
    EXPECT_EQ(rig.s().winnings, std::numeric_limits<std::int32_t>::max());
}

TEST(GameOver, ALosingLastSpinSavesTheJackpotAndOpensTheList) {
    Rig rig;
    rig.jackpot.stored = 451;  // the 49 credits lost below bring it to 500
    rig.startUp(8);
    rig.player.loseDownTo(1);
    testing::aimAt(rig, "UUU");
    rig.machine().pressStart();
    rig.view.calls.clear();
    rig.runSpin();
    EXPECT_EQ(rig.jackpot.saves, (std::vector<std::int32_t>{501}));
    EXPECT_EQ(rig.view.highScoresOpened, 1);
    EXPECT_TRUE(rig.view.nameEntries.empty());
    // Fresh game on show, jackpot kept.
    EXPECT_EQ(rig.view.counters.credits, 50);
    EXPECT_EQ(rig.view.counters.bet, 1);
    EXPECT_EQ(rig.view.counters.jackpot, 501);
    EXPECT_FALSE(rig.view.reelTimer);
}

TEST(GameOver, AFailedSaveIsRetriedByTheNextTick) {
    Rig rig;
    rig.startUp(8);
    rig.player.loseDownTo(1);
    testing::aimAt(rig, "UUU");
    rig.machine().pressStart();
    rig.jackpot.failSave = "File access denied";
    int ticks = 0;
    EXPECT_THROW(
        {
            while (ticks++ < 100) rig.machine().reelTick();
        },
        IoError);
    EXPECT_TRUE(rig.view.reelTimer);  // the spin never finished
    EXPECT_EQ(rig.view.highScoresOpened, 0);
    rig.jackpot.failSave.reset();
    rig.machine().reelTick();
    EXPECT_EQ(rig.jackpot.saves.size(), 1u);
    EXPECT_EQ(rig.view.highScoresOpened, 1);
    EXPECT_FALSE(rig.view.reelTimer);
}

}  // namespace
}  // namespace vornakka
