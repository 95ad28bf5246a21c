// The machine on its own: how fast the real SlotMachine plays when its
// services do nothing at all. A spin is the start press, every reel tick until
// the timer goes off, and the collect press when a win is on offer. Every
// state measured is one the game reaches by playing.
#include <benchmark/benchmark.h>

#include "quiet_machine.h"

namespace {

using namespace vornakka;

constexpr std::uint32_t kNoon = 12 * 3600 * 1000;

// A game with too little money for a bet of 5 and its loss is cashed out for
// a fresh one, so that no spin ends the game.
void keepPlaying(test::QuietMachine& q) {
    const MachineState& s = q.machine().state();
    if (std::int64_t{s.credits} + s.winnings <= 5) q.machine().pressCollect();
}

// One whole spin; returns the reel ticks it took.
std::int64_t spin(test::QuietMachine& q) {
    keepPlaying(q);
    q.machine().pressStart();
    std::int64_t ticks = 0;
    while (q.view.reelTimer) {
        q.machine().reelTick();
        ++ticks;
    }
    if (q.machine().condition() == MachineCondition::WinOffered) q.machine().pressCollect();
    return ticks;
}

void BM_Spin(benchmark::State& state) {
    test::QuietMachine q;
    q.startUp(kNoon);
    std::int64_t ticks = 0;
    for (auto _ : state) {
        ticks += spin(q);
    }
    auto winnings = q.machine().state().winnings;
    benchmark::DoNotOptimize(winnings);
    state.counters["spins/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
    state.counters["ticks/spin"] =
        benchmark::Counter(static_cast<double>(ticks) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Spin);

// One reel tick in the middle of a spin (no end-of-spin work): spins of the
// longest count the game draws, 59 on every reel, whose first 59 ticks move
// the reels on; the next such spin is started off the clock.
void BM_ReelTick(benchmark::State& state) {
    test::QuietMachine q;
    q.startUp(kNoon);
    int left = 0;
    for (auto _ : state) {
        if (left == 0) {
            state.PauseTiming();
            q.player.finishSpin();
            if (q.machine().condition() == MachineCondition::WinOffered) q.machine().pressCollect();
            keepPlaying(q);
            q.random.reseed(test::seedForDraws({{30, 29}, {30, 29}, {30, 29}}));
            q.machine().pressStart();
            left = 59;
            state.ResumeTiming();
        }
        q.machine().reelTick();
        --left;
    }
    auto reelPos = q.machine().state().reelPos;
    benchmark::DoNotOptimize(reelPos);
}
BENCHMARK(BM_ReelTick);

// A whole double-up of a win of 2: the press, a guess and every face tick,
// and the collect when the guess was right. The win is played off the clock.
void BM_DoubleUp(benchmark::State& state) {
    test::QuietMachine q;
    q.startUp(kNoon);
    for (auto _ : state) {
        state.PauseTiming();
        keepPlaying(q);
        q.player.setBet(1);
        q.player.spin("CUB");
        state.ResumeTiming();
        q.machine().pressDouble();
        q.machine().pressSmile();
        q.player.finishGamble();
        if (q.machine().condition() == MachineCondition::WinOffered) q.machine().pressCollect();
    }
    auto facePos = q.machine().state().facePos;
    benchmark::DoNotOptimize(facePos);
}
BENCHMARK(BM_DoubleUp);

}  // namespace

BENCHMARK_MAIN();
