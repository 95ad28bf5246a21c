#include "openal_config.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace vornakka::detail {

namespace {

constexpr std::array<OpenAlBackend, 8> kBackends = {{
    {"jack", "JACK", "no JACK server answered"},
    {"pulse", "PulseAudio", "no PulseAudio or PipeWire sound server runs for this user"},
    {"alsa", "ALSA", "no sound card or ALSA output device could be opened"},
    {"oss", "OSS", "no OSS sound device (/dev/dsp) could be opened"},
    {"sndio", "sndio", "no sndio server or device could be opened"},
    {"port", "PortAudio", "PortAudio had no output device"},
    {"null", "the silent device", "it could not be started"},
    {"wave", "the wave-file writer", "no file is set for it"},
}};

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
            std::string section = trim(
                std::string_view(text).substr(1, close == std::string::npos ? text.size() - 1 : close - 1));
            std::transform(section.begin(), section.end(), section.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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

}  // namespace

const std::array<OpenAlBackend, 8>& openAlBackends() {
    return kBackends;
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

std::vector<std::string> openAlDriverOrder() {
    const std::string setting = openAlDriverSetting();
    std::vector<std::string> order;
    if (setting.empty()) {
        for (const OpenAlBackend& b : kBackends) order.emplace_back(b.name);
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
                                       [&](const OpenAlBackend& b) { return name == b.name; });
        if (!name.empty() && name.front() == '-') {
            dropped.push_back(name.substr(1));
        } else if (known && std::find(order.begin(), order.end(), name) == order.end()) {
            order.push_back(name);
        }
        start = comma + 1;
    }
    if (rest) {
        for (const OpenAlBackend& b : kBackends) {
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

}  // namespace vornakka::detail
