#include <gtest/gtest.h>

#include "fakes.h"

namespace vornakka {
namespace {

using testing::Rig;
using Calls = std::vector<std::string>;

// Plays a started machine into the win offer of `pending`: a line that pays
// it at a bet the money allows.
void offer(Rig& rig, std::int32_t pending) {
    const std::pair<const char*, std::int32_t> lines[] = {{"AAA", 20}, {"EEE", 15}, {"BBB", 10}, {"CCC", 8}};
    for (int bet = 1; bet <= 5; ++bet) {
        for (const auto& [line, multiplier] : lines) {
            if (multiplier * bet != pending) continue;
            rig.player.setBet(bet);
            rig.player.spin(line);
            ASSERT_EQ(rig.s().pendingWin, pending);
            return;
        }
    }
    FAIL() << "no line pays " << pending;
}

TEST(Gamble, GuessesBeforeTheDoubleOrAfterTheColumnStopDoNothing) {
    Rig rig;
    rig.startUp(1);
    rig.sounds.take();
    rig.machine().pressSmile();
    rig.machine().pressFrown();
    rig.machine().pressDouble();  // nothing on offer
    for (int i = 0; i < 5; ++i) rig.machine().gambleTick();
    EXPECT_TRUE(rig.sounds.take().empty());
    EXPECT_EQ(rig.s().gambleChoice, 3);
    EXPECT_EQ(rig.s().facePos, (std::array<std::int32_t, 3>{1, 2, 3}));
}

TEST(Gamble, ARightSmileDoublesAndOffersAgain) {
    Rig rig;
    rig.startUp(1);
    offer(rig, 16);
    rig.player.aimFace(kSmile);
    rig.sounds.take();
    rig.machine().pressDouble();
    EXPECT_EQ(rig.view.message, "TUPLAUS 32MK DEPRESSIO/HYMY");
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Voitto", "stop Havio", "stop Kaynnistys", "play Lukitus"}));
    EXPECT_TRUE(rig.s().doubleClosed);
    const int steps = rig.s().gambleSteps;
    EXPECT_GE(steps, 33);
    EXPECT_LE(steps, 43);
    // The column waits for a guess.
    rig.machine().gambleTick();
    EXPECT_EQ(rig.s().facePos[0], 1);
    rig.machine().pressCollect();  // nothing during a double-up
    EXPECT_TRUE(rig.sounds.take().empty());

    rig.machine().pressFrown();
    rig.machine().pressSmile();  // the guess may be changed while it spins
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Voitto", "stop Havio", "stop Kaynnistys", "stop Lukitus",
                                        "stop Voitonmaksu", "stop Koss", "stop Tuplaus", "play Ruplaus",
                                        "stop Voitto", "stop Havio", "stop Kaynnistys", "stop Lukitus",
                                        "stop Voitonmaksu", "stop Koss", "stop Tuplaus", "play Ruplaus"}));
    EXPECT_EQ(rig.runGamble(), steps + 1);  // moves steps + 1 times
    EXPECT_EQ(rig.view.faces[1], 'J');
    EXPECT_EQ(rig.view.message, "VOITIT 32MK. TUPLAATKO?");
    EXPECT_FALSE(rig.s().doubleClosed);
    EXPECT_EQ(rig.s().doubleFactor, 2);
    EXPECT_EQ(rig.sounds.take(), (Calls{"stop Voitto", "stop Kaynnistys", "stop Lukitus", "stop Voitonmaksu",
                                        "stop Koss", "stop Tuplaus", "stop Ruplaus", "play Voitto"}));
    rig.machine().pressCollect();
    EXPECT_EQ(rig.s().winnings, 32);
    EXPECT_EQ(rig.s().lastWin, 32);
}

TEST(Gamble, WrongGuessesAndTheNeutralFaceLose) {
    struct Case {
        char face;
        bool smile;
    };
    for (const Case c : {Case{kFrown, true}, Case{kSmile, false}, Case{kNeutral, true}, Case{kNeutral, false}}) {
        Rig rig;
        rig.startUp(1);
        offer(rig, 20);
        rig.player.aimFace(c.face);
        rig.machine().pressDouble();
        c.smile ? rig.machine().pressSmile() : rig.machine().pressFrown();
        rig.sounds.take();
        rig.runGamble();
        EXPECT_EQ(rig.view.faces[1], c.face);
        EXPECT_EQ(rig.view.message, "V\xC4\xC4RIN!!!!");
        EXPECT_TRUE(rig.s().allStopped());
        EXPECT_EQ(rig.s().doubleFactor, 1);
        EXPECT_EQ(rig.s().winnings, 0);
        EXPECT_EQ(rig.sounds.calls.back(), "play Havio");
        EXPECT_EQ(rig.view.highScoresOpened, 0);  // credits remain
        rig.machine().pressCollect();  // idle now: this is a cash-out, not a collect
        EXPECT_EQ(rig.view.highScoresOpened + static_cast<int>(rig.view.nameEntries.size()), 1);
    }
}

TEST(Gamble, TheColumnCarriesOverAndThirtyThreeStepsEndOnJ) {
    // 33 steps from 1, 2, 3: the middle ends on 36 mod 11 = 3, a smile.
    Rig rig;
    rig.startUp(0);
    offer(rig, 10);
    rig.random.reseed(test::seedForDraws({{11, 0}}));
    rig.machine().pressDouble();
    ASSERT_EQ(rig.s().gambleSteps, 33);
    rig.machine().pressFrown();
    EXPECT_EQ(rig.runGamble(), 34);
    EXPECT_EQ(rig.s().facePos, (std::array<std::int32_t, 3>{2, 3, 4}));
    EXPECT_EQ(rig.view.faces[1], 'J');
    // The next double-up starts from where this one stopped.
    offer(rig, 10);
    rig.machine().pressDouble();
    rig.machine().pressSmile();
    const int moves = rig.s().gambleSteps + 1;
    rig.runGamble();
    EXPECT_EQ(rig.s().facePos[1], (3 - 1 + moves) % 11 + 1);
}

TEST(Gamble, RightGuessesReachingOneFiftyOneArePaidAutomatically) {
    struct Case {
        std::int32_t pending;
        std::vector<std::int32_t> offered;  // after each right guess
        std::int32_t paid;
    };
    const Case cases[] = {{100, {}, 200}, {40, {80}, 160}, {75, {150}, 300}};
    for (const auto& c : cases) {
        Rig rig;
        rig.startUp(0);
        offer(rig, c.pending);
        std::size_t round = 0;
        while (true) {
            rig.player.aimFace(kSmile);
            rig.machine().pressDouble();
            rig.machine().pressSmile();
            rig.sounds.take();
            rig.runGamble();
            if (rig.s().doubleClosed) break;
            ASSERT_LT(round, c.offered.size()) << c.pending;
            EXPECT_EQ(rig.s().pendingWin * rig.s().doubleFactor, c.offered[round]);
            ++round;
        }
        EXPECT_EQ(round, c.offered.size()) << c.pending;
        EXPECT_EQ(rig.s().winnings, c.paid) << c.pending;
        EXPECT_EQ(rig.s().lastWin, c.paid);
        EXPECT_EQ(rig.view.message, "Onnea!!!");
        EXPECT_TRUE(rig.s().allStopped());
        EXPECT_EQ(rig.s().doubleFactor, 1);
        const auto calls = rig.sounds.take();
        EXPECT_EQ((Calls(calls.end() - 9, calls.end())),
                  (Calls{"play Voitto", "stop Voitto", "stop Havio", "stop Kaynnistys", "stop Lukitus",
                         "stop Voitonmaksu", "stop Koss", "play Tuplaus", "stop Ruplaus"}));
    }
}

TEST(Gamble, ALostDoubleWithNoMoneyLeftEndsTheGame) {
    Rig rig;
    rig.jackpot.stored = 11;  // the 49 credits lost below bring it to 60
    rig.startUp(1);
    rig.player.loseDownTo(1);
    offer(rig, 8);  // the last credit
    ASSERT_EQ(rig.s().credits + rig.s().winnings, 0);
    rig.player.aimFace(kFrown);
    rig.machine().pressDouble();
    rig.machine().pressSmile();
    rig.runGamble();
    EXPECT_EQ(rig.jackpot.saves, (std::vector<std::int32_t>{60}));
    EXPECT_EQ(rig.view.highScoresOpened, 1);
    EXPECT_EQ(rig.view.counters.credits, 50);  // the fresh game is on show
    EXPECT_EQ(rig.view.faces[1], 'L');         // the reset put the column back to 1, 2, 3
    EXPECT_EQ(rig.s().facePos, (std::array<std::int32_t, 3>{1, 2, 3}));

    // With the save failing, the decision is taken again on the next tick.
    Rig failing;
    failing.startUp(1);
    failing.player.loseDownTo(1);
    offer(failing, 8);
    failing.player.aimFace(kFrown);
    failing.machine().pressDouble();
    failing.machine().pressSmile();
    failing.jackpot.failSave = "Disk full";
    EXPECT_THROW(failing.runGamble(), IoError);
    EXPECT_EQ(failing.view.highScoresOpened, 0);
    failing.jackpot.failSave.reset();
    failing.machine().gambleTick();
    EXPECT_EQ(failing.jackpot.saves.size(), 1u);
    EXPECT_EQ(failing.view.highScoresOpened, 1);
    EXPECT_EQ(failing.s().gambleChoice, 3);
}

}  // namespace
}  // namespace vornakka
