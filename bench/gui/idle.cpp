// CPU and wake-ups over SECONDS with the game open and its OpenAL players
// open, nothing sounding, vs a bare window with one 50 ms timer:
//
//   idle_bench [SECONDS]
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "Vorna/vorna.h"
#include "bench_support.h"
#include "openal_sound_bank.h"
#include "shell/game.h"

namespace vornakka::bench {
namespace {

// Three rounds, the game's and the bare window's in turn; medians. Besides
// the CPU, the wake-ups: the context switches of all the process's threads
// (the game's, Qt's, OpenAL's mixer and the sound server's client thread)
// per second. The settle loop's own end is one of them.
int idle(int seconds) {
    const long xserver = xServerPid();
    constexpr int kRounds = 3;
    const double span = seconds * 1000.0;
    std::vector<double> game, gameX, base, baseX, gameWakes, baseWakes;
    // The CPU of this process (and with the X server) in % of a core, and
    // the wake-ups per second, over the span.
    const auto measure = [&](std::vector<double>& cpu, std::vector<double>& cpuX, std::vector<double>& wakes) {
        const double cpu0 = processCpuMs();
        const double x0 = otherCpuMs(xserver);
        const long wakes0 = contextSwitches();
        settle(seconds * 1000);
        wakes.push_back(static_cast<double>(contextSwitches() - wakes0) / seconds);
        cpu.push_back(100.0 * (processCpuMs() - cpu0) / span);
        cpuX.push_back(100.0 * (processCpuMs() - cpu0 + otherCpuMs(xserver) - x0) / span);
    };
    for (int round = 0; round < kRounds; ++round) {
        {
            Scratch scratch;
            OpenAlSoundBank players;
            struct Clock final : vornakka::Clock {
                TimeOfDay utcTimeOfDay() override { return {12, 0, 0, 0}; }
            } clock;
            Game g(clock, players);
            g.show();
            // Idle means after the welcome sound (1.25 s) and its grace, once
            // the device sleeps. A private PulseAudio's null sink mixes in
            // blocks of up to 2 s and starts pulling the game's stream late,
            // so the sound may end well after 2.5 s: wait for the sleep itself.
            settle(1500);
            for (int waited = 0; !players.devicePaused() && waited < 10000; waited += 100) {
                settle(100);
            }
            settle(500);
            measure(game, gameX, gameWakes);
        }
        QWidget bare;
        bare.resize(749, 515);
        QTimer timer;
        int beats = 0;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++beats; });
        timer.start(50);
        bare.show();
        settle(1000);
        measure(base, baseX, baseWakes);
    }
    const std::string name = "idle CPU over " + std::to_string(seconds) + " s (median of " +
                             std::to_string(kRounds) + "), game with players open";
    figure(name, median(game), "% of a core", median(base), "<= 1.5 x bare");
    if (xserver > 0) figure(name + ", incl. X server", median(gameX), "% of a core", median(baseX), "<= 1.5 x bare");
    figure("idle wake-ups over " + std::to_string(seconds) + " s (median of " + std::to_string(kRounds) +
               "), all threads; bare: one 50 ms timer",
           median(gameWakes), "/s", median(baseWakes), "<= 1 /s");
    return 0;
}

}  // namespace
}  // namespace vornakka::bench

int main(int argc, char** argv) { return vornakka::bench::runFigure(argc, argv, 10, vornakka::bench::idle); }
