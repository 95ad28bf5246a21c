#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "fakes.h"

namespace vornakka {
namespace {

TEST(RandomSource, FollowsTheLinearCongruentialSequence) {
    RandomSource r(0);
    EXPECT_EQ(r.random(30), 0u);  // seed becomes 1; 1 x 30 < 2^32
    EXPECT_EQ(r.seed(), 1u);
    EXPECT_EQ(r.random(30), static_cast<std::uint32_t>((134775814ull * 30) >> 32));
    EXPECT_EQ(r.seed(), 134775814u);

    // Wraps modulo 2^32 and stays inside 0..n-1 at the top of the range.
    RandomSource top(0xFFFFFFFFu);
    std::uint32_t expectSeed = 0xFFFFFFFFu * 134775813u + 1u;
    std::uint32_t v = top.random(11);
    EXPECT_EQ(top.seed(), expectSeed);
    EXPECT_EQ(v, static_cast<std::uint32_t>((std::uint64_t{expectSeed} * 11) >> 32));
    for (int i = 0; i < 10000; ++i) EXPECT_LT(top.random(11), 11u);

    EXPECT_EQ(RandomSource::seedFrom({0, 0, 0, 0}), 0u);
    EXPECT_EQ(RandomSource::seedFrom({23, 59, 59, 999}), 86399999u);
    EXPECT_EQ(RandomSource::seedFrom({1, 2, 3, 4}), ((1u * 60 + 2) * 60 + 3) * 1000 + 4);
}

TEST(Strips, HoldTheirSymbolsAndColours) {
    const std::map<char, int> reel1 = {{'6', 1}, {'A', 3}, {'B', 4}, {'C', 6},
                                       {'E', 3}, {'F', 3}, {'G', 4}, {'U', 6}};
    const std::map<char, int> reel3 = {{'*', 4}, {'A', 3}, {'B', 4}, {'C', 3}, {'D', 6},
                                       {'E', 2}, {'F', 2}, {'G', 3}, {'U', 2}, {'6', 1}};
    auto count = [](std::string_view letters) {
        std::map<char, int> m;
        for (char c : letters) ++m[c];
        return m;
    };
    EXPECT_EQ(count(kReelStrips[0].letters), reel1);
    EXPECT_EQ(count(kReelStrips[2].letters), reel3);
    for (const auto& strip : kReelStrips) {
        EXPECT_EQ(strip.letters.size(), 30u);
        EXPECT_EQ(strip.at(8), '6');
    }
    EXPECT_EQ(kFaceStrip.letters.size(), 11u);
    EXPECT_EQ(std::count(kFaceStrip.letters.begin(), kFaceStrip.letters.end(), 'J'), 5);
    EXPECT_EQ(std::count(kFaceStrip.letters.begin(), kFaceStrip.letters.end(), 'K'), 2);

    EXPECT_EQ(symbolColourOf('*'), 0x00FFFFu);
    EXPECT_EQ(symbolColourOf('C'), 0x0000FFu);
    EXPECT_EQ(symbolColourOf('D'), 0x0000FFu);
    EXPECT_EQ(symbolColourOf('E'), 0x800080u);
    EXPECT_EQ(symbolColourOf('F'), 0x008000u);
    EXPECT_EQ(symbolColourOf('G'), 0x008080u);
    EXPECT_EQ(symbolColourOf('U'), 0x808000u);
    EXPECT_EQ(symbolColourOf('6'), 0u);
}

TEST(Paytable, OrderDecidesOverlappingLines) {
    struct Case {
        const char* line;
        int row;
    };
    const Case cases[] = {{"AAA", 1},  {"BBB", 2},  {"CCC", 3},  {"CCD", 4},  {"CUD", 5}, {"CUB", 6},
                          {"UUD", 7},  {"EEE", 8},  {"EE*", 9},  {"FFF", 10}, {"FF*", 11}, {"GGG", 12},
                          {"GG*", 13}, {"666", 14}, {"EEU", 0},  {"UUU", 0},  {"*A*", 0},  {"66*", 0},
                          {"CC*", 4},  {"AAB", 0},  {"BC*", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(firstMatchingRow(c.line[0], c.line[1], c.line[2]), c.row) << c.line;
    }
}

TEST(StartUp, SeedsLoadsResetsAndShowsTheBestEntry) {
    testing::Rig rig;
    rig.jackpot.stored = 777;
    rig.scores.rows[0] = {"Zadiz", 120};
    rig.clock.time = {0, 0, 0, 0};
    rig.machine().startUp();

    EXPECT_EQ(rig.sounds.calls, (std::vector<std::string>{"play Welcome"}));
    EXPECT_EQ(rig.view.message, "Paras: Zadiz 120 mk");
    EXPECT_EQ(rig.s().jackpot, 777);
    EXPECT_EQ(rig.scores.loads, 1);
    // Seed 0: the first draw is 0, so reel 1 rests at position 1.
    EXPECT_EQ(rig.s().reelPos[0], 1);
    EXPECT_EQ(rig.view.calls,
              (std::vector<std::string>{"faces:JLJ", "counters", "lamp1=off", "lamp2=off", "lamp3=off",
                                        "timer=off", "message:Paras: Zadiz 120 mk"}));
    EXPECT_EQ(rig.view.counters.bet, 1);
    EXPECT_EQ(rig.view.counters.credits, 50);
    EXPECT_EQ(rig.view.counters.winnings, 0);
    EXPECT_EQ(rig.view.counters.lastWin, 0);
    EXPECT_EQ(rig.view.counters.jackpot, 777);
    const std::int32_t amounts[8] = {20, 10, 8, 4, 2, 15, 6, 6};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.view.counters.amounts[i], amounts[i]);
    // The reels keep their starting "A" until the first spin.
    EXPECT_EQ(std::string(rig.s().shownSymbol.begin(), rig.s().shownSymbol.end()), "AAA");
    EXPECT_TRUE(rig.s().holdBlocked);
    EXPECT_EQ(rig.s().lastSpinBet, 0);

    // The same time of day gives the same reels.
    testing::Rig again;
    again.clock.time = {0, 0, 0, 0};
    again.machine().startUp();
    EXPECT_EQ(again.s().reelPos, rig.s().reelPos);
}

TEST(StartUp, AMissingFileStopsAtThatStepWithColoursStillKnown) {
    testing::Rig rig;
    rig.scores.failLoad = "File not found";
    rig.jackpot.stored = 42;
    EXPECT_THROW(rig.machine().startUp(), IoError);
    EXPECT_EQ(rig.s().jackpot, 42);  // loaded before the list failed
    EXPECT_EQ(rig.view.calls, std::vector<std::string>{});  // nothing reset, nothing shown
    EXPECT_TRUE(rig.s().allStopped());
    // The machine is still playable: colours are known even though start-up
    // never reached the step that computes them.
    EXPECT_EQ(rig.s().symbolColour[0][0], symbolColourOf('C'));
    rig.machine().pressStart();
    rig.runSpin();
    for (int r = 0; r < 3; ++r) EXPECT_EQ(rig.view.reelColour[r], symbolColourOf(rig.view.reel[r]));

    testing::Rig noJackpot;
    noJackpot.jackpot.failLoad = "File not found";
    EXPECT_THROW(noJackpot.machine().startUp(), IoError);
    EXPECT_EQ(noJackpot.scores.loads, 0);
}

}  // namespace
}  // namespace vornakka
