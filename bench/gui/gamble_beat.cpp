// N double-ups after idle spells: how far the gamble timer's ticks stray
// from its 50 ms beat when it sleeps between them, vs the same timer never
// sleeping:
//
//   gamble_beat_bench [N]
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "Vorna/vorna.h"
#include "bench_support.h"
#include "shell/game.h"
#include "tools/quiet_players.h"
#include "vornakka/slot_machine.h"

namespace vornakka::bench {
namespace {

struct BeatFigures {
    double medianOffBeatMs = 0;  // a tick's distance from the 50 ms grid of the first tick
    double worstOffBeatMs = 0;
    double worstFirstMoveOffBeatMs = 0;  // the same for each guess's first move
    double worstFirstMoveMs = 0;         // from a guess to the column's first move
    int ticks = 0;
    int doubleUps = 0;
    int wrongTickCounts = 0;
};

// Double-ups, each after an idle spell of its own length (0.2 to 1.3 s), with
// the gamble timer's every tick stamped.
BeatFigures gambleBeat(bool sleeps, int doubleUps) {
    Scratch scratch;
    tools::QuietPlayers players;
    FixedClock clock{TimeOfDay{9, 30, 15, 250}};
    Game game(clock, players);
    TForm1& window = game.form1();
    // The baseline: a timer like the gamble timer, started with the window
    // and never stopped, as the gamble timer ran before it learnt to sleep.
    QTimer always;
    always.setTimerType(Qt::PreciseTimer);
    always.setInterval(TForm1::kGambleInterval);
    if (!sleeps) always.start();
    TickStamps stamps(sleeps ? gambleTimerOf(window) : always);
    const QTimer& reelTimer = reelTimerOf(window);
    game.show();
    settle(300);
    SlotMachine& machine = game.machine();
    BeatFigures f;
    std::vector<std::size_t> firstMoves;
    for (int i = 0; i < doubleUps; ++i) {
        if (!machine.state().doubleClosed) window.Button6Click();  // a won double-up: collect it
        while (!machine.offer().doubleUp) {  // spins until a win is on offer
            window.Button2Click();
            while (reelTimer.isActive()) window.Ropelli();
        }
        window.Button9Click();
        settle(200 + (i * 397) % 1100);
        const int steps = machine.state().gambleSteps;
        const std::size_t before = stamps.stamps.size();
        const double guessed = monotonicNs();
        window.Button7Click();
        while (machine.state().gambleChoice != 3) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const std::size_t moves = stamps.stamps.size() - before;
        if (static_cast<int>(moves) != steps + 1) ++f.wrongTickCounts;
        if (moves > 0) {
            f.worstFirstMoveMs = std::max(f.worstFirstMoveMs, (stamps.stamps[before] - guessed) / 1e6);
            firstMoves.push_back(before);
        }
        ++f.doubleUps;
    }
    const double origin = stamps.stamps.front();
    auto offBeat = [&](double t) {
        const double sinceMs = (t - origin) / 1e6;
        return std::abs(sinceMs - 50.0 * std::round(sinceMs / 50.0));
    };
    std::vector<double> offs;
    for (double t : stamps.stamps) offs.push_back(offBeat(t));
    std::sort(offs.begin(), offs.end());
    f.medianOffBeatMs = offs[offs.size() / 2];
    f.worstOffBeatMs = offs.back();
    for (std::size_t i : firstMoves) {
        f.worstFirstMoveOffBeatMs = std::max(f.worstFirstMoveOffBeatMs, offBeat(stamps.stamps[i]));
    }
    f.ticks = static_cast<int>(stamps.stamps.size());
    return f;
}

int gambleBeat(int doubleUps) {
    const BeatFigures asleep = gambleBeat(true, doubleUps);
    const BeatFigures awake = gambleBeat(false, doubleUps);
    std::printf("gamble beat [%s]: %d double-ups after idle spells; %d ticks of the sleeping timer, %d of the "
                "always-on one (baseline)\n",
                platform().c_str(), asleep.doubleUps, asleep.ticks, awake.ticks);
    figure("gamble timer, ticks off the 50 ms beat, median", asleep.medianOffBeatMs, "ms", awake.medianOffBeatMs,
           "<= 1 ms (the precise timer's granularity) beyond the baseline");
    figure("gamble timer, a guess's first move off the beat, worst", asleep.worstFirstMoveOffBeatMs, "ms",
           awake.worstFirstMoveOffBeatMs, "- (the machine's hold-ups hit both)");
    figure("gamble timer, ticks off the 50 ms beat, worst", asleep.worstOffBeatMs, "ms", awake.worstOffBeatMs,
           "- (the machine's hold-ups hit both)");
    figure("gamble timer, guess to the column's first move, worst", asleep.worstFirstMoveMs, "ms",
           awake.worstFirstMoveMs, "<= 51 ms (a period and the timer's 1 ms)");
    std::printf("double-ups whose tick count differed from steps + 1: %d (baseline %d)\n", asleep.wrongTickCounts,
                awake.wrongTickCounts);
    return asleep.wrongTickCounts == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vornakka::bench

int main(int argc, char** argv) { return vornakka::bench::runFigure(argc, argv, 12, vornakka::bench::gambleBeat); }
