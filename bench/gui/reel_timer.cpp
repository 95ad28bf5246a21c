// The real TForm1 reel timer during spins vs a bare window's 10 ms precise
// timer, spin by spin in turn:
//
//   reel_timer_bench [TICKS]   (BENCH_VERBOSE=1: each spin's worst tick)
#include <QApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reel_spins.h"
#include "shell/game.h"

namespace vornakka::bench {
namespace {

struct TimerFigures {
    int ticks = 0;
    double meanMs = 0, worstMs = 0, worstLateMs = 0;
    double spinRatioWorst = 0;  // worst |duration / ideal - 1|
    double spinRatioMean = 0;
    int wrongTickCounts = 0;
    int heldUp = 0;     // periods over 14 ms: a tick held up by more than 4 ms
    int offSpins = 0;   // more than 2 % off the ideal duration
};

TimerFigures judge(const std::vector<Spin>& spins) {
    TimerFigures f;
    double sum = 0;
    double ratioSum = 0;
    for (const Spin& s : spins) {
        double previous = s.start;
        for (std::size_t i = 0; i < s.ticks.size(); ++i) {
            const double interval = (s.ticks[i] - previous) / 1e6;
            sum += interval;
            f.worstMs = std::max(f.worstMs, interval);
            if (interval > 14.0) ++f.heldUp;
            const double lateMs = (s.ticks[i] - (s.start + 1e7 * static_cast<double>(i + 1))) / 1e6;
            f.worstLateMs = std::max(f.worstLateMs, lateMs);
            previous = s.ticks[i];
        }
        if (std::getenv("BENCH_VERBOSE") != nullptr) {
            double late = 0;
            std::size_t at = 0;
            for (std::size_t i = 0; i < s.ticks.size(); ++i) {
                const double l = (s.ticks[i] - (s.start + 1e7 * static_cast<double>(i + 1))) / 1e6;
                if (l > late) {
                    late = l;
                    at = i + 1;
                }
            }
            std::printf("  spin of %zu ticks: worst lateness %.3f ms at tick %zu\n", s.ticks.size(), late, at);
        }
        f.ticks += static_cast<int>(s.ticks.size());
        if (static_cast<int>(s.ticks.size()) != s.idealTicks) ++f.wrongTickCounts;
        const double duration = (s.ticks.back() - s.start) / 1e6;
        const double ideal = 10.0 * s.idealTicks;
        const double off = std::abs(duration / ideal - 1.0);
        f.spinRatioWorst = std::max(f.spinRatioWorst, off);
        if (off > 0.02) ++f.offSpins;
        ratioSum += duration / ideal;
    }
    f.meanMs = sum / f.ticks;
    f.spinRatioMean = ratioSum / static_cast<double>(spins.size());
    return f;
}

// Spin by spin in turn: a spin of the game, then the bare timer for as many
// ticks (with the game's 50 ms timer stopped), so that a slow spell of the
// machine hits both alike.
int reelTimer(int wanted) {
    std::vector<Spin> gameSpins, bareSpins;
    GameRun run;
    BareRun bare;
    int ticks = 0;
    while (ticks < wanted) {
        const std::vector<Spin> one = run.spins(1);
        gambleTimerOf(run.game.form1()).stop();
        const std::vector<Spin> twin = bare.spins(lengthsOf(one));
        gambleTimerOf(run.game.form1()).start();
        for (const Spin& sp : one) ticks += static_cast<int>(sp.ticks.size());
        gameSpins.insert(gameSpins.end(), one.begin(), one.end());
        bareSpins.insert(bareSpins.end(), twin.begin(), twin.end());
    }
    const TimerFigures g = judge(gameSpins);
    const TimerFigures b = judge(bareSpins);
    std::printf("reel timer [%s]: %d ticks in %zu spins (bare window: %d ticks)\n", platform().c_str(), g.ticks,
                gameSpins.size(), b.ticks);
    figure("reel timer mean period", g.meanMs, "ms", b.meanMs, "10.0 +/- 0.1 ms");
    figure("reel timer worst period", g.worstMs, "ms", b.worstMs, "-");
    figure("reel timer worst lateness vs 10 ms grid", g.worstLateMs, "ms", b.worstLateMs, "<= 4 ms");
    figure("spin duration vs (steps + 1) x 10 ms, worst deviation", 100.0 * g.spinRatioWorst, "%",
           100.0 * b.spinRatioWorst, "<= 2 %");
    figure("spin duration vs (steps + 1) x 10 ms, mean", 100.0 * (g.spinRatioMean - 1.0), "%",
           100.0 * (b.spinRatioMean - 1.0), "-");
    // A tick held up for longer than a period is not made up: the timer goes
    // on from there, so one hold-up of the shared machine makes every later
    // tick of that spin late against the grid. How often a tick was held up
    // says more.
    std::printf("periods over 14 ms (a tick held up more than 4 ms) [%s]: %d of %d | baseline: %d of %d\n",
                platform().c_str(), g.heldUp, g.ticks, b.heldUp, b.ticks);
    std::printf("spins more than 2 %% off ideal [%s]: %d of %zu | baseline: %d of %zu\n", platform().c_str(), g.offSpins,
                gameSpins.size(), b.offSpins, bareSpins.size());
    std::printf("spins whose tick count differed from steps + 1: %d\n", g.wrongTickCounts);
    return g.wrongTickCounts == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vornakka::bench

int main(int argc, char** argv) { return vornakka::bench::runFigure(argc, argv, 400, vornakka::bench::reelTimer); }
