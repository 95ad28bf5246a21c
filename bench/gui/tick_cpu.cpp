// CPU time per reel tick during spins (the machine's work, the label
// repaints, the event loop; the X server's too under X) vs a bare window
// changing three labels:
//
//   tick_cpu_bench [TICKS]
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "reel_spins.h"
#include "shell/game.h"

namespace vornakka::bench {
namespace {

// The game and the bare window take turns, so that a slow spell of the
// machine (this is shared hardware) hits both; each figure is the median of
// the rounds. The game's own 50 ms timer is stopped while the bare window
// runs.
int tickCpu(int wanted) {
    const long xserver = xServerPid();
    constexpr int kRounds = 5;
    GameRun run;
    BareRun bare;
    run.spins(60);  // warm up: fonts, glyph caches
    bare.spins({60});
    std::vector<double> game, gameX, base, baseX;
    int gameTicks = 0, bareTicks = 0;
    for (int round = 0; round < kRounds; ++round) {
        double cpu0 = processCpuMs();
        double x0 = otherCpuMs(xserver);
        const auto spins = run.spins(wanted / kRounds);
        int ticks = 0;
        for (const Spin& sp : spins) ticks += static_cast<int>(sp.ticks.size());
        game.push_back((processCpuMs() - cpu0) / ticks);
        gameX.push_back((processCpuMs() - cpu0 + otherCpuMs(xserver) - x0) / ticks);
        gameTicks += ticks;

        gambleTimerOf(run.game.form1()).stop();
        cpu0 = processCpuMs();
        x0 = otherCpuMs(xserver);
        const auto bareSpins = bare.spins(lengthsOf(spins));
        ticks = 0;
        for (const Spin& sp : bareSpins) ticks += static_cast<int>(sp.ticks.size());
        base.push_back((processCpuMs() - cpu0) / ticks);
        baseX.push_back((processCpuMs() - cpu0 + otherCpuMs(xserver) - x0) / ticks);
        bareTicks += ticks;
        gambleTimerOf(run.game.form1()).start();
    }
    std::printf("tick cpu [%s]: %d ticks of the game, %d of the bare window, in %d alternating rounds "
                "(game rounds %.3f..%.3f ms)\n",
                platform().c_str(), gameTicks, bareTicks, kRounds, *std::min_element(game.begin(), game.end()),
                *std::max_element(game.begin(), game.end()));
    figure("CPU per reel tick, game process", median(game), "ms", median(base), "<= 0.5 ms");
    if (xserver > 0) figure("CPU per reel tick, game process + X server", median(gameX), "ms", median(baseX), "<= 0.5 ms");
    return 0;
}

}  // namespace
}  // namespace vornakka::bench

int main(int argc, char** argv) { return vornakka::bench::runFigure(argc, argv, 2000, vornakka::bench::tickCpu); }
