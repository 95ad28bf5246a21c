#include "desktop_session.h"

#include "shell/game.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vornakka::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Processes that the children leave behind when they end (a session bus's
// activated services) come back to this process, which reaps them.
const bool becameSubreaper = prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;

pid_t parentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return -1;
    // pid (comm) state ppid ...: comm may hold blanks and parentheses.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    pid_t ppid = -1;
    rest >> state >> ppid;
    return ppid;
}

// The process and every process below it, the deepest last.
std::vector<pid_t> processTree(pid_t root) {
    std::vector<std::pair<pid_t, pid_t>> all;  // pid, parent
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            char* end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (end != nullptr && *end == '\0' && pid > 0) {
                all.emplace_back(static_cast<pid_t>(pid), parentOf(static_cast<pid_t>(pid)));
            }
        }
        closedir(proc);
    }
    std::vector<pid_t> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        for (const auto& [pid, parent] : all) {
            if (parent == tree[i]) tree.push_back(pid);
        }
    }
    return tree;
}

// Gone, or a zombie of ours that has now been reaped.
bool ended(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    return kill(pid, 0) != 0 && errno == ESRCH;
}

void setEnvironment(const Environment& env) {
    for (const auto& [name, value] : env) {
        if (value.empty()) {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }
}

[[noreturn]] void execute(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// Reaps the processes that came back to this one when their parents ended
// (a compositor's helper clients, say), until none is left. Runs when a
// session has been stopped and Qt has no child processes of its own.
void reapOrphans() {
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, WNOHANG);
        if (pid < 0) return;  // no children left
        if (pid == 0) std::this_thread::sleep_for(20ms);
    }
}

std::string windowManagerCheck(const std::string& display) {
    return runAndRead({"xprop", "-display", display, "-root", "_NET_SUPPORTING_WM_CHECK"});
}

}  // namespace

bool haveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    }
    return false;
}

bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// -------------------------------------------------------------- processes

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Environment& env, const std::string& log,
                           const ChildOptions& options)
    : grace_(options.grace) {
    (void)becameSubreaper;
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        if (options.endsWithTest) prctl(PR_SET_PDEATHSIG, SIGTERM);
        setEnvironment(env);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        if (in >= 0) dup2(in, 0);
        for (int fd = 3; fd < 1024; ++fd) {
            if (fd != options.keepFd) close(fd);
        }
        execute(argv);
    }
}

bool ChildProcess::running() { return pid_ > 0 && !ended(pid_); }

void ChildProcess::stop() {
    if (pid_ <= 0) return;
    std::vector<pid_t> tree = processTree(pid_);
    for (pid_t pid : tree) kill(pid, SIGTERM);
    const auto allEnded = [&] {
        bool all = true;
        for (pid_t pid : tree) all = ended(pid) && all;
        return all;
    };
    if (!pollUntil(allEnded, grace_)) {
        for (pid_t pid : tree) kill(pid, SIGKILL);
        pollUntil(allEnded, 2000ms);
    }
    pid_ = -1;
}

// ------------------------------------------------------------------- X11

std::unique_ptr<X11Session> X11Session::start(const std::string& wm, std::string& whyNot) {
    for (const char* tool : {"Xvfb", "xprop"}) {
        if (!haveProgram(tool)) {
            whyNot = std::string(tool) + " is not installed";
            return nullptr;
        }
    }
    if (!wm.empty() && !haveProgram(wm)) {
        whyNot = wm + " is not installed";
        return nullptr;
    }
    if (wm == "xfwm4" && !haveProgram("dbus-daemon")) {
        whyNot = "dbus-daemon (for xfwm4's settings) is not installed";
        return nullptr;
    }
    std::unique_ptr<X11Session> s(new X11Session);
    s->folder_ = std::make_unique<ScratchFolder>("vornakka-x11-" + (wm.empty() ? std::string("bare") : wm),
                                                ScratchFolder::Where::ShortPath);
    const std::string dir = s->folder_->path();

    s->display_ = startXvfb(
        [&](const std::vector<std::string>& argv, int fd) {
            ChildOptions keep;
            keep.keepFd = fd;
            s->server_ = std::make_unique<ChildProcess>(argv, Environment{}, dir + "/xvfb.log", keep);
        },
        whyNot);
    if (s->display_.empty()) return nullptr;
    if (wm.empty()) return s;

    Environment env{{"DISPLAY", s->display_},
                    {"HOME", s->folder_->make("home")},
                    {"XDG_CONFIG_HOME", s->folder_->make("config")},
                    {"XDG_CACHE_HOME", s->folder_->make("cache")},
                    {"XDG_DATA_HOME", s->folder_->make("data")},
                    {"XDG_RUNTIME_DIR", s->folder_->make("run")},
                    {"NO_AT_BRIDGE", "1"}};
    const std::string ready = dir + "/wm-ready";
    if (wm == "xfwm4") {
        // xfwm4 reads its settings over a session bus; it gets one of its own.
        const std::string socket = dir + "/bus";
        s->bus_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                     "--address=unix:path=" + socket},
            env, dir + "/bus.log");
        if (!pollUntil([&] { return fs::exists(socket); }, 10000ms)) {
            whyNot = "the session bus did not start";
            return nullptr;
        }
        env.emplace_back("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket);
        s->wm_ = std::make_unique<ChildProcess>(std::vector<std::string>{"xfwm4", "--compositor=off"}, env,
                                                dir + "/wm.log");
    } else {
        s->wm_ = std::make_unique<ChildProcess>(std::vector<std::string>{wm, "--startup", "touch '" + ready + "'"},
                                                env, dir + "/wm.log");
    }
    const std::string display = s->display_;
    if (!pollUntil([&] { return windowManagerCheck(display).find("window id") != std::string::npos; }, 15000ms)) {
        whyNot = wm + " did not start managing the display";
        return nullptr;
    }
    // openbox names itself the window manager as its start-up begins, before
    // it reads its settings and theme; a request for a window's frame
    // (_NET_REQUEST_FRAME_EXTENTS) sent in that time is never answered, and
    // the game's first window would come up where it has to move from. Its
    // start-up command runs once it handles requests.
    if (wm == "openbox" && !pollUntil([&] { return fs::exists(ready); }, 15000ms)) {
        whyNot = "openbox did not finish starting (its start-up command did not run)";
        return nullptr;
    }
    return s;
}

X11Session::~X11Session() {
    wm_.reset();
    bus_.reset();
    server_.reset();
    reapOrphans();
}

Environment X11Session::clientEnvironment() const {
    return {{"DISPLAY", display_},
            {"QT_QPA_PLATFORM", "xcb"},
            {"WAYLAND_DISPLAY", ""},
            {"XDG_RUNTIME_DIR", folder_->make("client-run")}};
}

// --------------------------------------------------------------- Wayland

std::unique_ptr<WaylandSession> WaylandSession::start(std::string& whyNot) {
    if (!haveProgram("weston")) {
        whyNot = "weston is not installed";
        return nullptr;
    }
    std::unique_ptr<WaylandSession> s(new WaylandSession);
    s->folder_ = std::make_unique<ScratchFolder>("vornakka-wayland", ScratchFolder::Where::ShortPath);
    s->runtime_ = s->folder_->make("run");
    s->socket_ = "vornakka-test";
    const std::string dir = s->folder_->path();
    const Environment env{{"XDG_RUNTIME_DIR", s->runtime_},
                          {"HOME", s->folder_->make("home")},
                          {"XDG_CONFIG_HOME", s->folder_->make("config")},
                          {"DISPLAY", ""},
                          {"WAYLAND_DISPLAY", ""}};
    s->compositor_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"weston", "--backend=headless-backend.so", "--socket=" + s->socket_,
                                 "--idle-time=0", "--log=" + dir + "/weston.log"},
        env, dir + "/weston.out");
    const std::string socket = s->runtime_ + "/" + s->socket_;
    WaylandSession* session = s.get();
    if (!pollUntil([&] { return fs::exists(socket) || !session->compositor_->running(); }, 15000ms) ||
        !fs::exists(socket)) {
        std::ifstream log(dir + "/weston.log");
        std::stringstream text;
        text << log.rdbuf();
        whyNot = "weston did not start: " + text.str();
        return nullptr;
    }
    return s;
}

WaylandSession::~WaylandSession() {
    compositor_.reset();
    reapOrphans();
}

Environment WaylandSession::clientEnvironment() const {
    return {{"XDG_RUNTIME_DIR", runtime_},
            {"WAYLAND_DISPLAY", socket_},
            {"QT_QPA_PLATFORM", "wayland"},
            {"DISPLAY", ""}};
}

// ------------------------------------------------------------------ misc

std::string startXvfb(const std::function<void(const std::vector<std::string>&, int)>& start, std::string& whyNot) {
    int fds[2];
    if (pipe(fds) != 0) {
        whyNot = "no pipe";
        return "";
    }
    start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           "-noreset"},
          fds[1]);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 15000) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        whyNot = "Xvfb did not start";
        return "";
    }
    return ":" + number;
}

void applyEnvironment(const Environment& env) { setEnvironment(env); }

std::string runAndRead(const std::vector<std::string>& argv, const Environment& env) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid < 0) return {};
    if (pid == 0) {
        setEnvironment(env);
        dup2(fds[1], 1);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) dup2(devNull, 2);
        close(fds[0]);
        close(fds[1]);
        execute(argv);
    }
    close(fds[1]);
    std::string out;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return out;
}

int runDesktopTests(int& argc, char** argv, const Environment* session, const std::string& skipReason) {
    if (session != nullptr) {
        applyEnvironment(*session);
    } else {
        // In CI the tests run, on no display, and fail with the reason.
        if (const char* ci = std::getenv("CI"); ci != nullptr && std::strcmp(ci, "true") == 0) {
            std::printf("Not run in CI (CI=true): %s\n", skipReason.c_str());
        } else {
            std::printf("Skipping: %s\n", skipReason.c_str());
        }
        applyEnvironment({{"QT_QPA_PLATFORM", "offscreen"}});
    }
    setenv("ALSOFT_DRIVERS", "null", 0);
    QApplication app(argc, argv);
    prepareApplication(app);
    return RUN_ALL_TESTS();
}

}  // namespace vornakka::test
