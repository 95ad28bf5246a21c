// The machine on its own: how fast the real SlotMachine plays when its
// services do nothing at all. A spin is the start press, every reel tick until
// the timer goes off, and the collect press when a win is on offer.
#include <benchmark/benchmark.h>

#include <climits>
#include <optional>

#include "vornakka/slot_machine.h"

namespace {

using namespace vornakka;

// Does nothing but remember whether the reel timer is on: the driver needs
// that to know when a spin is over.
struct NoView : MachineView {
    bool reelTimer = false;
    void showReel(int, char, Colour) override {}
    void showCounters(const Counters&) override {}
    void showMessage(const Text&) override {}
    void showFaces(char, char, char) override {}
    void setHoldLamp(int, bool) override {}
    void setReelTimer(bool enabled) override { reelTimer = enabled; }
    void openHighScores() override {}
    void openNameEntry(std::int32_t) override {}
};
struct NoSounds : SoundBank {
    void play(SoundCue) override {}
    void stop(SoundCue) override {}
};
struct NoJackpot : JackpotStore {
    std::int32_t load() override { return 0; }
    void save(std::int32_t) override {}
};
struct NoScores : HighScoreStore {
    HighScoreEntry best{"", 0};
    void load() override {}
    bool qualifies(std::int32_t) const override { return false; }
    const HighScoreEntry& row(int) const override { return best; }
};
struct NoonClock : Clock {
    TimeOfDay utcTimeOfDay() override { return {12, 0, 0, 0}; }
};

struct Machine {
    NoView view;
    MachineEvents events;  // nobody listens
    NoSounds sounds;
    NoJackpot jackpot;
    NoScores scores;
    NoonClock clock;
    RandomSource random;
    std::optional<SlotMachine> m{std::in_place, view, events, sounds, jackpot, scores, clock, random};
    SlotMachine& machine() { return *m; }
    Machine() { m->startUp(); }

    // Goes on from the present state with the given changes, as a game
    // resumed from them would.
    template <class Edit>
    void change(Edit edit) {
        MachineState s = m->state();
        edit(s);
        m.emplace(view, events, sounds, jackpot, scores, clock, random, s);
    }

    // One whole spin; returns the reel ticks it took.
    std::int64_t spin() {
        if (m->state().credits < 10) change([](MachineState& st) { st.credits = 1000000; });  // never run out
        m->pressStart();
        std::int64_t ticks = 0;
        while (view.reelTimer) {
            m->reelTick();
            ++ticks;
        }
        if (!m->state().doubleClosed) m->pressCollect();
        return ticks;
    }
};

void BM_Spin(benchmark::State& state) {
    Machine m;
    std::int64_t ticks = 0;
    for (auto _ : state) {
        ticks += m.spin();
    }
    auto winnings = m.machine().state().winnings;
    benchmark::DoNotOptimize(winnings);
    state.counters["spins/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
    state.counters["ticks/spin"] =
        benchmark::Counter(static_cast<double>(ticks) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Spin);

// One reel tick in the middle of a spin (no end-of-spin work).
void BM_ReelTick(benchmark::State& state) {
    Machine m;
    m.machine().pressStart();
    // Counts that never run out: no tick reaches the end of the spin.
    m.change([](MachineState& st) { st.spinCount = {INT32_MAX, INT32_MAX, INT32_MAX}; });
    for (auto _ : state) {
        m.machine().reelTick();
    }
    auto reelPos = m.machine().state().reelPos;
    benchmark::DoNotOptimize(reelPos);
}
BENCHMARK(BM_ReelTick);

// A whole double-up of a win of 1: the press, a guess and every face tick.
void BM_DoubleUp(benchmark::State& state) {
    Machine m;
    for (auto _ : state) {
        m.change([](MachineState& st) {
            st.pendingWin = 1;
            st.doubleFactor = 1;
            st.doubleClosed = false;
            st.stopped = {false, false, false};
        });
        m.machine().pressDouble();
        m.machine().pressSmile();
        while (m.machine().state().gambleChoice != 3) m.machine().gambleTick();
        if (!m.machine().state().doubleClosed) m.machine().pressCollect();
    }
    auto facePos = m.machine().state().facePos;
    benchmark::DoNotOptimize(facePos);
}
BENCHMARK(BM_DoubleUp);

}  // namespace

BENCHMARK_MAIN();
