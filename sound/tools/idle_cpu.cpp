// Opens all eleven cues the way the game does and sits silent, polling the
// idle check every 50 ms like the machine window's gamble timer, then reports
// the CPU time the whole process (mixer thread included) spent meanwhile.
//   vornakka_sound_idle_cpu [--seconds N] [--no-pause] [--no-poll] [FOLDER]
// --no-poll sleeps without calling the idle check (after the open, which
// pauses the device on its own), to show what the polling itself costs.
// FOLDER holds Wavs/ (default: the working directory). With the pause on, the
// exit code is 1 if the device was not paused at the end.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>

#include "openal_sound_bank.h"
#include "vornakka/failure.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    double duration = 10.0;
    bool pause = true;
    bool poll = true;
    std::string folder = ".";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            duration = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-pause") == 0) {
            pause = false;
        } else if (std::strcmp(argv[i], "--no-poll") == 0) {
            poll = false;
        } else {
            folder = argv[i];
        }
    }
    if (chdir(folder.c_str()) != 0) {
        std::perror(folder.c_str());
        return 2;
    }

    try {
        vornakka::OpenAlSoundBank bank;
        bank.setIdlePause(pause);
        for (int c = 0; c < vornakka::kSoundCueCount; ++c) bank.open(static_cast<vornakka::SoundCue>(c));

        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds();
        const auto end = start + std::chrono::duration<double>(duration);
        if (poll) {
            while (std::chrono::steady_clock::now() < end) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                bank.idleCheck();
            }
        } else {
            std::this_thread::sleep_until(end);
        }
        const double cpu = cpuSeconds() - cpuStart;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const char* driver = std::getenv("ALSOFT_DRIVERS");
        std::printf("driver %s, idle pause %s, %s, device %s: %.3f s CPU in %.2f s = %.2f %% of one core\n",
                    driver != nullptr ? driver : "(default)", pause ? "on" : "off",
                    poll ? "polled every 50 ms" : "not polled", bank.devicePaused() ? "paused" : "running",
                    cpu, wall, 100.0 * cpu / wall);
        return pause && !bank.devicePaused() ? 1 : 0;
    } catch (const vornakka::MediaError& e) {
        std::fprintf(stderr, "MediaError: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
