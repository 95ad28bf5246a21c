#include "vornakka/audio_setup.h"

#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <fstream>
#include <string_view>

namespace vornakka {

namespace {

// The names libpulse gives the game's connection and, through it, its stream.
constexpr const char* kPulseProperties =
    "application.name='Vornakka' application.icon_name='org.example.Vornakka' media.role='game'";

struct Backend {
    const char* name;
    const char* shown;
    const char* why;  // why it gave no sound
};

// The back-ends of Debian's OpenAL Soft 1.19 in the order it tries them.
constexpr std::array<Backend, 8> kBackends = {{
    {"jack", "JACK", "no JACK server answered"},
    {"pulse", "PulseAudio", "no PulseAudio or PipeWire sound server runs for this user"},
    {"alsa", "ALSA", "no sound card or ALSA output device could be opened"},
    {"oss", "OSS", "no OSS sound device (/dev/dsp) could be opened"},
    {"sndio", "sndio", "no sndio server or device could be opened"},
    {"port", "PortAudio", "PortAudio had no output device"},
    {"null", "the silent device", "it could not be started"},
    {"wave", "the wave-file writer", "no file is set for it"},
}};

// Everything but JACK, in OpenAL Soft's own order (the trailing comma keeps
// the back-ends not named).
constexpr const char* kOurDrivers = "-jack,";

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The "drivers" line of one configuration file's general part, if any.
// OpenAL Soft's files are "key = value" lines under [section] headers; the
// lines before any header and those under [general] are the general part.
bool readDriversLine(const std::string& path, std::string& value) {
    std::ifstream in(path);
    if (!in) return false;
    bool general = true;
    bool found = false;
    std::string line;
    while (std::getline(in, line)) {
        const auto hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        const std::string text = trim(line);
        if (text.empty()) continue;
        if (text.front() == '[') {
            const auto close = text.find(']');
            std::string section = trim(std::string_view(text).substr(1, close == std::string::npos ? text.size() - 1 : close - 1));
            std::transform(section.begin(), section.end(), section.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            general = section == "general";
            continue;
        }
        const auto equals = text.find('=');
        if (!general || equals == std::string::npos) continue;
        if (trim(std::string_view(text).substr(0, equals)) != "drivers") continue;
        std::string v = trim(std::string_view(text).substr(equals + 1));
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        value = v;
        found = true;
    }
    return found;
}

// OpenAL Soft's configuration files, in the order it reads them (a later
// file overrides an earlier one).
std::vector<std::string> configFiles() {
    std::vector<std::string> files{"/etc/openal/alsoft.conf"};
    std::string dirs = environment("XDG_CONFIG_DIRS");
    if (dirs.empty()) dirs = "/etc/xdg";
    std::vector<std::string> xdg;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const auto colon = std::min(dirs.find(':', start), dirs.size());
        if (colon > start) xdg.push_back(dirs.substr(start, colon - start) + "/alsoft.conf");
        start = colon + 1;
    }
    files.insert(files.end(), xdg.rbegin(), xdg.rend());  // the most important last
    const std::string home = environment("HOME");
    if (!home.empty()) files.push_back(home + "/.alsoftrc");
    const std::string configHome = environment("XDG_CONFIG_HOME");
    if (!configHome.empty()) {
        files.push_back(configHome + "/alsoft.conf");
    } else if (!home.empty()) {
        files.push_back(home + "/.config/alsoft.conf");
    }
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string exe(self, static_cast<std::size_t>(n));
        files.push_back(exe.substr(0, exe.rfind('/')) + "/alsoft.conf");
    }
    const std::string own = environment("ALSOFT_CONF");
    if (!own.empty()) files.push_back(own);
    return files;
}

bool gameChoseBackends = false;

}  // namespace

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

std::string openAlDriverSetting(std::string* source) {
    const char* own = std::getenv("ALSOFT_DRIVERS");
    if (own != nullptr) {
        if (source != nullptr) *source = "ALSOFT_DRIVERS";
        return own;
    }
    std::string value;
    for (const std::string& file : configFiles()) {
        std::string line;
        if (readDriversLine(file, line)) {
            value = line;
            if (source != nullptr) *source = file;
        }
    }
    return value;
}

void prepareAudioEnvironment() {
    const std::string override = environment("PULSE_PROP_OVERRIDE");
    const std::string properties = override.empty() ? kPulseProperties : std::string(kPulseProperties) + " " + override;
    ::setenv("PULSE_PROP_OVERRIDE", properties.c_str(), 1);
    gameChoseBackends = openAlDriverSetting().empty();
    if (gameChoseBackends) ::setenv("ALSOFT_DRIVERS", kOurDrivers, 1);
}

bool backendsLeftToGame() {
    const char* drivers = std::getenv("ALSOFT_DRIVERS");
    return gameChoseBackends && drivers != nullptr && std::strcmp(drivers, kOurDrivers) == 0;
}

std::vector<std::string> openAlDriverOrder() {
    const std::string setting = openAlDriverSetting();
    std::vector<std::string> order;
    if (setting.empty()) {
        for (const Backend& b : kBackends) order.emplace_back(b.name);
        return order;
    }
    // "a,b,-c,": named back-ends first, "-name" drops one, and a trailing
    // comma lets the rest follow in the default order.
    std::vector<std::string> dropped;
    std::size_t start = 0;
    bool rest = false;
    while (start <= setting.size()) {
        const auto comma = std::min(setting.find(',', start), setting.size());
        const std::string name = trim(std::string_view(setting).substr(start, comma - start));
        rest = name.empty() && comma == setting.size() && comma > 0 && setting[comma - 1] == ',';
        const bool known = std::any_of(kBackends.begin(), kBackends.end(),
                                       [&](const Backend& b) { return name == b.name; });
        if (!name.empty() && name.front() == '-') {
            dropped.push_back(name.substr(1));
        } else if (known && std::find(order.begin(), order.end(), name) == order.end()) {
            order.push_back(name);
        }
        start = comma + 1;
    }
    if (rest) {
        for (const Backend& b : kBackends) {
            if (std::find(order.begin(), order.end(), b.name) == order.end()) order.emplace_back(b.name);
        }
    }
    order.erase(std::remove_if(order.begin(), order.end(),
                               [&](const std::string& n) {
                                   return std::find(dropped.begin(), dropped.end(), n) != dropped.end();
                               }),
                order.end());
    return order;
}

std::string noAudioDeviceMessage(bool backendReady) {
    // OpenAL Soft uses the first back-end that starts: a sound server's
    // back-end starts only when its server answers, a device back-end (ALSA,
    // OSS...) always does, and then its device is the one that did not open.
    const bool pulseUp = pulseServerAnswers();
    std::vector<const Backend*> tried;
    for (const std::string& name : openAlDriverOrder()) {
        const auto backend = std::find_if(kBackends.begin(), kBackends.end(),
                                          [&](const Backend& b) { return name == b.name; });
        if (backend == kBackends.end()) continue;
        tried.push_back(&*backend);
        const bool server = name == "pulse" || name == "jack";
        if (backendReady && (!server || (name == "pulse" && pulseUp))) break;
    }
    std::string message = "No sound output device was found";
    if (tried.empty()) {
        std::string source;
        const std::string setting = openAlDriverSetting(&source);
        message += ": OpenAL Soft had no sound back-end to try (" + source + " is \"" + setting + "\")";
        return message + ".";
    }
    message += ". OpenAL Soft tried ";
    for (std::size_t i = 0; i < tried.size(); ++i) {
        if (i > 0) message += i + 1 == tried.size() ? " and " : ", ";
        const bool serverUp = std::strcmp(tried[i]->name, "pulse") == 0 && pulseUp;
        message += std::string(tried[i]->shown) + " (" +
                   (serverUp ? "the sound server would not play" : tried[i]->why) + ")";
    }
    return message + ".";
}

}  // namespace vornakka
