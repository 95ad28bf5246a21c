// The display servers, window managers and compositors that the desktop
// tests start for themselves: a free display or a socket of their own, every
// file in a private 0700 folder under /tmp (short paths, wherever the clone
// is), and every process stopped by its id (with whatever it started in turn)
// when the test ends. The folders are removed; nothing is left in /tmp or in
// the home folder.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scratch_folder.h"

namespace vornakka::test {

using Environment = std::vector<std::pair<std::string, std::string>>;

// True when the program is found in PATH.
bool haveProgram(const std::string& name);

// Checks done every 20 ms until it is true (true) or limit has passed
// (false), sleeping between checks without running Qt's event loop.
bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// How a child process is started and stopped, beyond the usual.
struct ChildOptions {
    int keepFd = -1;  // a descriptor left open in the child
    // The child gets SIGTERM should this process die first (a time-out).
    bool endsWithTest = false;
    // From SIGTERM to SIGKILL when it is stopped.
    std::chrono::milliseconds grace{3000};
};

// A program run with extra environment variables (an empty value unsets
// one), its output in a log file. Stopping it stops, by process id,
// everything it started too.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const Environment& env, const std::string& log,
                 const ChildOptions& options = {});
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t pid() const { return pid_; }
    bool running();
    void stop();

private:
    pid_t pid_ = -1;
    std::chrono::milliseconds grace_;
};

// Xvfb on a free display and, unless wm is empty, a window manager on it
// ("xfwm4" in a session bus of its own, or "openbox"), ready to manage.
class X11Session {
public:
    // Empty with the reason in whyNot when a program is missing or does not
    // come up.
    static std::unique_ptr<X11Session> start(const std::string& wm, std::string& whyNot);
    ~X11Session();
    const std::string& display() const { return display_; }
    // The environment for the game: the display, and the session's own home
    // and runtime folders.
    Environment clientEnvironment() const;

private:
    X11Session() = default;
    std::unique_ptr<ScratchFolder> folder_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> wm_;
    std::string display_;
};

// A headless Weston with a socket of its own in a private runtime folder.
class WaylandSession {
public:
    static std::unique_ptr<WaylandSession> start(std::string& whyNot);
    ~WaylandSession();
    const std::string& runtimeDir() const { return runtime_; }
    Environment clientEnvironment() const;

private:
    WaylandSession() = default;
    std::unique_ptr<ScratchFolder> folder_;
    std::unique_ptr<ChildProcess> compositor_;
    std::string runtime_;
    std::string socket_;
};

// Starts Xvfb on a free display: start(argv, fd) runs the command, keeping fd
// open in it, and Xvfb writes the display's number there. Returns ":N", or ""
// with the reason in whyNot when it does not come up within 15 s.
std::string startXvfb(const std::function<void(const std::vector<std::string>&, int)>& start, std::string& whyNot);

// Sets the variables in this process.
void applyEnvironment(const Environment& env);

// Runs the tests in an application prepared as the game's: on the session's
// display (its environment applied) when there is a session, otherwise
// offscreen with the reason printed ("Skipping: ..."), where every test skips
// (and in CI fails: "Not run in CI ...").
int runDesktopTests(int& argc, char** argv, const Environment* session, const std::string& skipReason);

// Runs a program to its end and returns its standard output ("" when it
// cannot be run).
std::string runAndRead(const std::vector<std::string>& argv, const Environment& env = {});

}  // namespace vornakka::test
