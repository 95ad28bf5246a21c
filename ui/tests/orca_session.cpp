#include "orca_session.h"

#include "desktop_session.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vornakka::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kBusLauncher = "/usr/libexec/at-spi-bus-launcher";
constexpr const char* kEspeakModule = "/usr/lib/speech-dispatcher-modules/sd_espeak-ng";
constexpr const char* kPython = "/usr/bin/python3";

// Orca's own start, with its debug output line-buffered so that each
// utterance can be read as soon as it is spoken. (Orca opens its debug file
// with the default 8 KB buffer.) Skipping Orca's launcher also skips its
// search for other Orcas of this user, which are none of this test's business.
// Orca 45 and later reach their settings through settings_manager, whose
// modules import each other in the order Orca's launcher loads them; Orca 43
// through orca.getSettingsManager(). Orca 51 keeps its settings in GSettings
// and has nothing to activate; its launcher loads its modules in this order.
constexpr const char* kOrcaWrapper = R"(import sys
from orca import debug
debug.debugLevel = debug.LEVEL_INFO
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], 'w', buffering=1)
sys.argv = ['orca']
try:
    from orca import debugging_tools_manager, extension_loader, gsettings_registry, messages
    from orca import screen_reader_manager, speech_manager
    manager = None
except ImportError:
    try:
        from orca import debugging_tools_manager, messages, settings, script_manager, settings_manager
        manager = settings_manager.get_manager()
        prefsDir = manager.get_prefs_dir
    except ImportError:
        from orca import orca
        manager = orca.getSettingsManager()
        prefsDir = manager.getPrefsDir
if manager is not None:
    manager.activate(None, {})
    sys.path.insert(0, prefsDir())
from orca import orca
sys.exit(orca.main())
)";

bool haveFile(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool gone(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// Stops one process by its id: SIGTERM, then SIGKILL when it has not ended
// within the grace time.
void stopProcess(pid_t pid, std::chrono::milliseconds grace) {
    if (pid <= 0 || gone(pid)) return;
    kill(pid, SIGTERM);
    if (!pollUntil([pid] { return gone(pid); }, grace)) {
        kill(pid, SIGKILL);
        pollUntil([pid] { return gone(pid); }, 3000ms);
    }
}

// Processes whose environment names the folder: everything the session
// started, directly or through a bus's activation, wherever it was
// re-parented to.
std::vector<pid_t> processesOf(const std::string& folder) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return found;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end == nullptr || *end != '\0' || pid <= 0 || pid == getpid()) continue;
        std::ifstream environ(std::string("/proc/") + entry->d_name + "/environ", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(environ)), std::istreambuf_iterator<char>());
        if (text.find("HOME=" + folder + "/") != std::string::npos) found.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
    return found;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Orca's last step of starting, after its event listeners are in place:
// "ORCA: Starting Atspi main event loop" (Orca 48 and later), "ORCA: Starting
// registry" (Orca 43).
bool listening(const std::string& log) {
    const std::string text = readAll(log);
    return text.find("ORCA: Starting Atspi main event loop") != std::string::npos ||
           text.find("ORCA: Starting registry") != std::string::npos;
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

}  // namespace

void OrcaSession::spawn(const std::vector<std::string>& argv, const Env& env, const std::string& log, int keepFd,
                        std::chrono::milliseconds grace) {
    ChildOptions options;
    options.keepFd = keepFd;
    options.endsWithTest = true;
    options.grace = grace;
    children_.push_back(std::make_unique<ChildProcess>(argv, env, log, options));
}

std::unique_ptr<OrcaSession> OrcaSession::start(std::string& whyNot) {
    for (const char* program : {"Xvfb", "xprop", "xdotool", "openbox", "dbus-daemon", "speech-dispatcher", "orca"}) {
        if (!haveProgram(program)) {
            whyNot = std::string(program) + " is not installed";
            return nullptr;
        }
    }
    for (const char* file : {kBusLauncher, kEspeakModule, kPython}) {
        if (!haveFile(file)) {
            whyNot = std::string(file) + " is not installed";
            return nullptr;
        }
    }
    std::unique_ptr<OrcaSession> s(new OrcaSession);
    try {
        s->folder_ = std::make_unique<ScratchFolder>("vo", ScratchFolder::Where::ShortPath);
    } catch (const std::runtime_error&) {
        whyNot = "cannot make a folder in /tmp";
        return nullptr;
    }
    const std::string& dir = s->folder_->path();
    for (const char* sub : {"home", "run", "client", "sd", "sd/modules"}) mkdir((dir + "/" + sub).c_str(), 0700);
    // No sound card: espeak-ng's speech goes to ALSA's null device, so that
    // the speech dispatcher (and with it Orca) keeps answering.
    writeFile(dir + "/home/.asoundrc", "pcm.!default { type null }\nctl.!default { type hw card 0 }\n");
    writeFile(dir + "/sd/speechd.conf",
              "AudioOutputMethod \"alsa\"\n"
              "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
              "DefaultModule espeak-ng\n"
              "LogLevel 2\n");
    writeFile(dir + "/sd/modules/espeak-ng.conf", "");
    writeFile(dir + "/speaking.py", kOrcaWrapper);

    s->display_ = startXvfb(
        [&](const std::vector<std::string>& argv, int fd) {
            // -r: no key repeats, for a key is held while Orca works.
            std::vector<std::string> noRepeat = argv;
            noRepeat.emplace_back("-r");
            s->spawn(noRepeat, {{"HOME", dir + "/home"}}, dir + "/xvfb.log", fd);
        },
        whyNot);
    if (s->display_.empty()) return nullptr;
    s->bus_ = "unix:path=" + dir + "/bus";

    const Env env{{"HOME", dir + "/home"},
                  {"XDG_RUNTIME_DIR", dir + "/run"},
                  {"XDG_CONFIG_HOME", dir + "/home/.config"},
                  {"XDG_DATA_HOME", dir + "/home/.local/share"},
                  {"XDG_CACHE_HOME", dir + "/home/.cache"},
                  {"DISPLAY", s->display_},
                  {"DBUS_SESSION_BUS_ADDRESS", s->bus_},
                  {"SPEECHD_ADDRESS", "unix_socket:" + dir + "/sd.sock"}};
    s->spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + s->bus_}, env,
             dir + "/bus.log");
    if (!pollUntil([&] { return fs::exists(dir + "/bus"); }, 10000ms)) {
        whyNot = "the session bus did not start";
        return nullptr;
    }
    s->spawn({"openbox"}, env, dir + "/wm.log");
    const Env display{{"DISPLAY", s->display_}};
    if (!pollUntil([&] { return runAndRead({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, display).find("window id") !=
                              std::string::npos; },
                 15000ms)) {
        whyNot = "openbox did not start managing the display";
        return nullptr;
    }
    s->spawn({kBusLauncher, "--launch-immediately"}, env, dir + "/atspi.log");
    if (!pollUntil([&] { return fs::exists(dir + "/run/at-spi") && !fs::is_empty(dir + "/run/at-spi"); }, 10000ms)) {
        whyNot = "the accessibility bus did not start";
        return nullptr;
    }
    s->spawn({"speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", dir + "/sd", "--socket-path",
              dir + "/sd.sock", "--log-dir", dir, "--pid-file", dir + "/sd.pid"},
             env, dir + "/sd.log");
    // Speech Dispatcher 0.12 starts its voice module twice and a dummy one
    // before it listens: seconds on a busy machine.
    if (!pollUntil([&] { return fs::exists(dir + "/sd.sock"); }, 30000ms)) {
        whyNot = "the speech dispatcher did not start: " + readAll(dir + "/sd.log");
        return nullptr;
    }
    const std::string version = runAndRead({kPython, "-c", "from orca import orca_platform; print(orca_platform.version)"}, env);
    s->major_ = std::atoi(version.c_str());
    // Orca, stopped first, has time to end by itself.
    s->spawn({kPython, dir + "/speaking.py", dir + "/orca.log"}, env, dir + "/orca.out", -1, 10000ms);
    OrcaSession* session = s.get();
    if (!pollUntil([&] { return !session->spoken().empty(); }, 30000ms)) {
        whyNot = "Orca did not start speaking: " + readAll(dir + "/orca.out");
        return nullptr;
    }
    // Orca says "Screen reader on." before it listens to the desktop's
    // events. A game that comes up in between is found by Orca's search for
    // the active window only; its focus and its greeting are lost (Orca 51
    // then said the window's name and nothing more). So the game starts once
    // Orca runs its event loop, as it would on a player's desktop.
    if (!pollUntil([&] { return listening(dir + "/orca.log"); }, 30000ms)) {
        whyNot = "Orca did not start listening: " + readAll(dir + "/orca.out");
        return nullptr;
    }
    return s;
}

OrcaSession::~OrcaSession() { stopAll(); }

void OrcaSession::stopAll() {
    // Orca first, with time to end by itself; then the rest, last started
    // first; then whatever the buses started on their own.
    while (!children_.empty()) children_.pop_back();
    if (folder_ != nullptr) {
        const std::string& dir = folder_->path();
        // ORCA_TEST_LOG=file keeps Orca's whole debug output for a look later.
        if (const char* keep = std::getenv("ORCA_TEST_LOG")) {
            std::error_code ignored;
            fs::copy_file(dir + "/orca.log", keep, fs::copy_options::overwrite_existing, ignored);
        }
        for (pid_t pid : processesOf(dir)) stopProcess(pid, 3000ms);
        folder_.reset();
    }
}

OrcaSession::Env OrcaSession::clientEnvironment() const {
    return {{"DISPLAY", display_},
            {"DBUS_SESSION_BUS_ADDRESS", bus_},
            {"XDG_RUNTIME_DIR", folder_->path() + "/client"},
            {"QT_QPA_PLATFORM", "xcb"},
            {"WAYLAND_DISPLAY", ""},
            {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"},
            {"QT_ACCESSIBILITY", "1"}};
}

std::vector<std::string> OrcaSession::spoken() const {
    // 12:00:00.000000 - SPEECH OUTPUT: 'text'{'established': False} (Orca 43)
    // 12:00:00.000000 - SPEECH OUTPUT: 'text' {'established': False, 'family': {...}} (Orca 48)
    std::vector<std::string> said;
    std::istringstream lines(readAll(folder_->path() + "/orca.log"));
    const std::string mark = "SPEECH OUTPUT: '";
    std::string line;
    while (std::getline(lines, line)) {
        const auto at = line.find(mark);
        if (at == std::string::npos) continue;
        const auto from = at + mark.size();
        auto to = line.find("{'", from);
        if (to == std::string::npos || to < from) to = line.size();
        to = line.rfind('\'', to);
        if (to == std::string::npos || to < from) continue;
        std::string text = line.substr(from, to - from);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        said.push_back(text);
    }
    return said;
}

int OrcaSession::linesStartingWith(std::initializer_list<const char*> marks) const {
    std::istringstream lines(readAll(folder_->path() + "/orca.log"));
    int count = 0;
    std::string line;
    while (std::getline(lines, line)) {
        for (const char* mark : marks) {
            if (line.rfind(mark, 0) == 0) ++count;
        }
    }
    return count;
}

int OrcaSession::keysHandled() const {
    // ^^^^^ PROCESS ATSPI_KEY_RELEASED_EVENT: 'Tab' (23) ^^^^^
    return linesStartingWith({"^^^^^ PROCESS ATSPI_KEY_RELEASED_EVENT"});
}

int OrcaSession::commandsDone() const {
    // ^^^^^ CONSUME ATSPI_KEY_PRESSED_EVENT: 'KP_Home' (79) ^^^^^ (Orca 43 and 48; HANDLE in 51)
    return linesStartingWith({"^^^^^ CONSUME ATSPI_KEY_PRESSED_EVENT", "^^^^^ HANDLE ATSPI_KEY_PRESSED_EVENT"});
}

void OrcaSession::key(const std::string& keys) const {
    runAndRead({"xdotool", "key", "--delay", "80", keys}, {{"DISPLAY", display_}});
}

void OrcaSession::keyDown(const std::string& key) const {
    runAndRead({"xdotool", "keydown", key}, {{"DISPLAY", display_}});
}

void OrcaSession::keyUp(const std::string& key) const {
    runAndRead({"xdotool", "keyup", key}, {{"DISPLAY", display_}});
}

}  // namespace vornakka::test
