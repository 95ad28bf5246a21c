// Opens all eleven cues the way the game does and sits silent, then reports
// the CPU time the whole process (mixer and idle-pause threads included)
// spent meanwhile, and its wake-ups: the context switches of all its threads.
//   vornakka_sound_idle_cpu [--seconds N] [--no-pause] [FOLDER]
// --no-pause keeps the device running in silence, to show what the pause
// saves. FOLDER holds Wavs/ (default: the working directory). With the pause
// on, the exit code is 1 if the device was not paused at the end.
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
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

long contextSwitches() {
    long total = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return 0;
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        std::ifstream in(std::string("/proc/self/task/") + task->d_name + "/status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                total += std::atol(line.c_str() + line.find(':') + 1);
            }
        }
    }
    closedir(tasks);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    double duration = 10.0;
    bool pause = true;
    std::string folder = ".";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            duration = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-pause") == 0) {
            pause = false;
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
        const long wakesStart = contextSwitches();
        std::this_thread::sleep_for(std::chrono::duration<double>(duration));
        const long wakes = contextSwitches() - wakesStart - 1;  // less this thread's own sleep
        const double cpu = cpuSeconds() - cpuStart;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const char* driver = std::getenv("ALSOFT_DRIVERS");
        std::printf("driver %s, idle pause %s, device %s: %.3f s CPU in %.2f s = %.2f %% of one core, "
                    "%.1f wake-ups/s\n",
                    driver != nullptr ? driver : "(default)", pause ? "on" : "off",
                    bank.devicePaused() ? "paused" : "running", cpu, wall, 100.0 * cpu / wall,
                    static_cast<double>(wakes) / wall);
        return pause && !bank.devicePaused() ? 1 : 0;
    } catch (const vornakka::MediaError& e) {
        std::fprintf(stderr, "MediaError: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
