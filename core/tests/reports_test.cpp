// What the machine reports through a scripted game: each result once, when it
// is final, in the order it was played. The random source is reseeded before
// each draw, so the game is the same on every run.
#include <gtest/gtest.h>

#include "fakes.h"

namespace vornakka::testing {
namespace {

void spin(Rig& rig, std::uint32_t seed) {
    rig.random.reseed(seed);
    rig.machine().pressStart();
    rig.runSpin();
}

TEST(Reports, AScriptedGameIsReportedResultByResult) {
    Rig rig;
    rig.startUp(0);
    spin(rig, 11);  // pays C - -
    rig.random.reseed(1);
    rig.machine().pressDouble();
    rig.machine().pressSmile();
    rig.runGamble();  // stops on a smile
    rig.machine().pressCollect();
    rig.machine().pressBet();
    spin(rig, 1);  // loses
    rig.machine().pressHold(1);  // holds and guesses that are not results say nothing
    rig.machine().pressCollect();
    EXPECT_EQ(rig.events.reports, (std::vector<std::string>{
                                      "started 'Paras: Row1 100 mk' 50/0",
                                      "spin C,B,* row 6 win 2 'VOITIT 2 MK. TUPLAATKO?' 49/0",
                                      "double 4 'TUPLAUS 4MK DEPRESSIO/HYMY' 49/0",
                                      "guess right J offer 4 'VOITIT 4MK. TUPLAATKO?' 49/0",
                                      "collected 4 49/4",
                                      "bet 2",
                                      "spin A,B,C row 0 win 0 '' 47/4",
                                      "ended cashed out 4",
                                  }));
    EXPECT_EQ(rig.view.highScoresOpened, 1);

    // A new game at bet 5 loses its 50 credits in ten spins; the last one
    // ends the game, and says so, before the end is reported.
    rig.events.reports.clear();
    for (int press = 0; press < 4; ++press) rig.machine().pressBet();
    for (std::uint32_t seed : {1U, 1U, 2U, 2U, 1U, 3U, 5U, 1U, 1U, 1U}) spin(rig, seed);
    const std::vector<std::string>& r = rig.events.reports;
    ASSERT_EQ(r.size(), 4U + 10U + 1U) << ::testing::PrintToString(r);
    EXPECT_EQ(r[3], "bet 5");
    EXPECT_EQ(r[4], "spin E,G,G row 0 win 0 '' 45/0");
    EXPECT_EQ(r[13], "spin G,C,U row 0 win 0 '' 0/0 ends");
    EXPECT_EQ(r[14], "ended money ran out 0");
    EXPECT_EQ(rig.view.highScoresOpened, 2);
}

}  // namespace
}  // namespace vornakka::testing
