#include "output_choice.h"

#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "openal_config.h"

namespace vornakka::detail {

namespace {

// The names libpulse gives the game's connection and, through it, its stream.
constexpr const char* kPulseProperties =
    "application.name='Vornakka' application.icon_name='org.example.Vornakka' media.role='game'";

// Everything but JACK, in OpenAL Soft's own order (the trailing comma keeps
// the back-ends not named).
constexpr const char* kOurDrivers = "-jack,";
// The same, and without PipeWire's, when the game plays through its own
// stream: OpenAL Soft then only mixes, but it starts its first back-end all
// the same, and OpenAL Soft 1.24's PipeWire back-end stays connected to the
// server for as long as the game runs, a second "vornakka" among its clients.
// (OpenAL Soft 1.19 has no such back-end and ignores the name.)
constexpr const char* kOwnStreamDrivers = "-jack,-pipewire,";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool gameChoseBackends = false;
bool ownStream = false;

}  // namespace

void prepareAudioEnvironment() {
    const std::string override = environment("PULSE_PROP_OVERRIDE");
    const std::string properties =
        override.empty() ? kPulseProperties : std::string(kPulseProperties) + " " + override;
    ::setenv("PULSE_PROP_OVERRIDE", properties.c_str(), 1);
    gameChoseBackends = openAlDriverSetting().empty();
    ownStream = gameChoseBackends && pulseServerAnswers();
    if (gameChoseBackends) ::setenv("ALSOFT_DRIVERS", ownStream ? kOwnStreamDrivers : kOurDrivers, 1);
}

bool backendsLeftToGame() {
    const char* drivers = std::getenv("ALSOFT_DRIVERS");
    return gameChoseBackends && drivers != nullptr &&
           (std::strcmp(drivers, kOurDrivers) == 0 || std::strcmp(drivers, kOwnStreamDrivers) == 0);
}

bool pulseServerAnswers() {
    std::string path = environment("PULSE_SERVER");
    if (path.rfind("unix:", 0) == 0) path.erase(0, 5);
    if (!path.empty() && path.front() != '/') return true;  // a remote server: cannot tell from here
    if (path.empty()) {
        const std::string runtime = environment("XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        path = runtime + "/pulse/native";
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

bool playsThroughOwnStream() {
    return ownStream && backendsLeftToGame();
}

}  // namespace vornakka::detail
