// What OpenAL Soft itself costs in memory before the game plays anything: the
// resident memory one fresh process gains by opening the audio device and
// making its context, as the game makes it and with the fewest sources and
// the wave files' own rate. Each way is measured in a process of its own.
//
//   openal_floor        prints "openal context [...]: N MB" lines
#include <al.h>
#include <alc.h>
#include <alext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

long residentKb() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
    }
    std::fclose(status);
    return kb;
}

struct Way {
    const char* name;
    std::vector<ALCint> attributes;  // ends with 0
};

// In the child: the device as the game opens it (paused before its context,
// so that no mixer runs), then the context. Writes the growth in kB.
int measure(const Way& way, int out) {
    const long before = residentKb();
    ALCdevice* device = alcOpenDevice(nullptr);
    if (device == nullptr) return 1;
    if (alcIsExtensionPresent(device, "ALC_SOFT_pause_device") == ALC_TRUE) {
        reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(device, "alcDevicePauseSOFT"))(device);
    }
    const long opened = residentKb();
    ALCcontext* context = alcCreateContext(device, way.attributes.data());
    if (context == nullptr) return 1;
    const long made = residentKb();
    const long figures[2] = {opened - before, made - opened};
    if (::write(out, figures, sizeof figures) != static_cast<ssize_t>(sizeof figures)) return 1;
    alcDestroyContext(context);
    alcCloseDevice(device);
    return 0;
}

}  // namespace

int main() {
    const std::vector<Way> ways = {
        {"as the game makes it (no auxiliary sends)", {ALC_MAX_AUXILIARY_SENDS, 0, 0}},
        {"11 mono sources, no stereo, 44.1 kHz, no sends",
         {ALC_MONO_SOURCES, 11, ALC_STEREO_SOURCES, 0, ALC_FREQUENCY, 44100, ALC_MAX_AUXILIARY_SENDS, 0, 0}},
    };
    int status = 0;
    for (const Way& way : ways) {
        int fds[2];
        if (::pipe(fds) != 0) return 2;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            ::_exit(measure(way, fds[1]));
        }
        ::close(fds[1]);
        long figures[2] = {-1, -1};
        const bool got = ::read(fds[0], figures, sizeof figures) == static_cast<ssize_t>(sizeof figures);
        ::close(fds[0]);
        int child = 0;
        ::waitpid(pid, &child, 0);
        if (!got) {
            std::printf("openal context [%s]: the device did not open\n", way.name);
            status = 1;
            continue;
        }
        std::printf("openal device open, resident memory gained: %.3f MB; its context [%s]: %.3f MB\n",
                    static_cast<double>(figures[0]) / 1024.0, way.name, static_cast<double>(figures[1]) / 1024.0);
    }
    return status;
}
