// The game's sound on a real sound server, from the player's side: run
// beside a private server by sound/tests/with_sound_server.sh (bench/run.sh
// does), with the committed cues.
//
//   sound_bench ASSETS
//
// - the delay the server reports for the game's stream while a cue sounds:
//   what it holds of the stream and the sink's latency behind it;
// - press to sound: from the play of a cue (the moment a button's click
//   plays it) to its first sample recorded from the sink's monitor, both on
//   the monotonic clock; 20 plays, each waking the stream from its cork as
//   a press in a quiet game does. The monitor's own capture adds a little:
//   the figure is an upper bound;
// - underruns of the game's stream over 100 spins' worth of cues (the
//   spin's start, its end, the device pausing between spins);
// - after the server is restarted (SIGUSR1 to the wrapper), the time from
//   the server answering again to the first cue heard.
#include <pulse/simple.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "openal_sound_bank.h"
#include "output_choice.h"

using namespace vornakka;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kRate = 44100;
constexpr int kChunk = 64;           // frames a read: 1.5 ms
constexpr std::int16_t kLoud = 300;  // above the null sink's silence

double msSince(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Records the default sink's monitor on a thread of its own and notes when
// the first loud sample after arm() arrived.
class Monitor {
public:
    static std::unique_ptr<Monitor> open() {
        const pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = kChunk * 2;
        pa_simple* s = pa_simple_new(nullptr, "sound_bench", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "monitor",
                                     &format, nullptr, &attr, nullptr);
        if (s == nullptr) return nullptr;
        return std::unique_ptr<Monitor>(new Monitor(s));
    }
    ~Monitor() {
        stop_ = true;
        thread_.join();
        pa_simple_free(simple_);
    }
    void arm() {
        heard_ = Steady::time_point{};
        armed_ = true;
    }
    // When the first loud sample arrived, or nothing after `wait`.
    std::optional<Steady::time_point> heard(std::chrono::milliseconds wait) {
        const auto end = Steady::now() + wait;
        while (Steady::now() < end) {
            if (!armed_ && heard_.load() != Steady::time_point{}) return heard_.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::nullopt;
    }

private:
    explicit Monitor(pa_simple* s) : simple_(s), thread_([this] { run(); }) {}
    void run() {
        std::int16_t chunk[kChunk];
        while (!stop_) {
            if (pa_simple_read(simple_, chunk, sizeof chunk, nullptr) < 0) return;
            const auto now = Steady::now();
            if (!armed_) continue;
            for (int i = 0; i < kChunk; ++i) {
                if (std::abs(chunk[i]) > kLoud) {
                    // The sample arrived with the rest of its chunk.
                    heard_ = now - std::chrono::microseconds((kChunk - 1 - i) * 1000000LL / kRate);
                    armed_ = false;
                    break;
                }
            }
        }
    }
    pa_simple* simple_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> armed_{false};
    std::atomic<Steady::time_point> heard_{};
    std::thread thread_;
};

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds wait, int stepMs = 5) {
    const auto end = Steady::now() + wait;
    while (!done()) {
        if (Steady::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
    return true;
}

// Until the device has paused itself, as it does once nothing sounds.
void untilAsleep(OpenAlSoundBank& bank) {
    waitFor([&] { return bank.devicePaused(); }, std::chrono::seconds(5), 50);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || ::chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: sound_bench ASSETS (beside a sound server)\n");
        return 2;
    }
    detail::prepareAudioEnvironment();
    OpenAlSoundBank bank;
    for (int i = 0; i < kSoundCueCount; ++i) bank.open(static_cast<SoundCue>(i));
    if (!waitFor([&] { return bank.streamFigures().up; }, std::chrono::seconds(5), 10)) {
        std::fprintf(stderr, "sound_bench: the game's stream did not come up\n");
        return 1;
    }

    // While a cue sounds, and after the sink has settled to the stream.
    bank.play(SoundCue::Voitto);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const auto figures = bank.streamFigures();
    std::printf("stream delay the server reports: %.1f ms buffered + %.1f ms sink = %.1f ms (target <= 30 ms)\n",
                figures.bufferMs, figures.sinkMs, figures.bufferMs + figures.sinkMs);
    // And as pactl shows it (pipewire-pulse gives 0 for its dummy sink;
    // PulseAudio's null sink renders far ahead whatever it was configured
    // for: its "configured" figure is what it grants the stream).
    if (FILE* pactl = ::popen("pactl list sink-inputs sinks | grep -E 'Latency:'", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, pactl) != nullptr) std::printf("  pactl:%s", line);
        ::pclose(pactl);
    }
    bank.stop(SoundCue::Voitto);
    untilAsleep(bank);

    std::unique_ptr<Monitor> monitor = Monitor::open();
    if (!monitor) {
        std::fprintf(stderr, "sound_bench: the sink's monitor cannot be recorded\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::vector<double> delays;
    for (int i = 0; i < 20; ++i) {
        monitor->arm();
        const auto played = Steady::now();
        bank.play(SoundCue::Lukitus);
        if (const auto heard = monitor->heard(std::chrono::seconds(1))) delays.push_back(msSince(played, *heard));
        untilAsleep(bank);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::sort(delays.begin(), delays.end());
    if (delays.empty()) {
        std::printf("press to sound: nothing heard\n");
    } else {
        std::printf("press to sound (play to first sample from the monitor, %zu of 20 heard): median %.1f ms, "
                    "max %.1f ms (target <= 30 ms)\n",
                    delays.size(), delays[delays.size() / 2], delays.back());
    }

    // Without the monitor's recording, which asks the sink for a latency
    // of its own.
    monitor.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::uint64_t before = bank.streamFigures().underruns;
    for (int spin = 0; spin < 100; ++spin) {
        bank.play(SoundCue::Kaynnistys);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        bank.stop(SoundCue::Kaynnistys);
        bank.play(spin % 3 == 0 ? SoundCue::Voitto : SoundCue::Koss);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        bank.stop(SoundCue::Voitto);
        untilAsleep(bank);
    }
    std::printf("underruns over 100 spins: %llu (target 0)\n",
                static_cast<unsigned long long>(bank.streamFigures().underruns - before));

    const char* wrapper = std::getenv("SOUND_SERVER_PID");
    if (wrapper == nullptr) return 0;
    ::kill(static_cast<pid_t>(std::atoi(wrapper)), SIGUSR1);
    waitFor([&] { return !bank.streamFigures().up; }, std::chrono::seconds(5));
    waitFor([] { return !detail::pulseServerAnswers(); }, std::chrono::seconds(5));
    if (!waitFor([] { return detail::pulseServerAnswers(); }, std::chrono::seconds(10), 2)) {
        std::printf("server restarted: it did not come back\n");
        return 1;
    }
    const auto back = Steady::now();
    if (!waitFor([&] { return bank.streamFigures().up; }, std::chrono::seconds(10), 2)) {
        std::printf("server restarted: the game's stream did not come back within 10 s\n");
        return 1;
    }
    const auto up = Steady::now();
    // The monitor only now: recording it holds the new server up.
    waitFor([&] { return (monitor = Monitor::open()) != nullptr; }, std::chrono::seconds(5), 10);
    std::optional<Steady::time_point> heard;
    Steady::time_point played = Steady::now();
    if (monitor) {
        monitor->arm();
        played = Steady::now();
        bank.play(SoundCue::Lukitus);
        heard = monitor->heard(std::chrono::seconds(4));
    }
    std::printf("server restarted: from its answering again to the game's stream playing %.0f ms; a cue played "
                "%.0f ms after it answered: %s",
                msSince(back, up), msSince(back, played), heard ? "heard, " : "not heard\n");
    if (heard) std::printf("%.1f ms from its play\n", msSince(played, *heard));
    return heard ? 0 : 1;
}
