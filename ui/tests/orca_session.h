// A private desktop with the real screen reader: Xvfb and openbox on a free
// display, a session bus with the accessibility bus launcher, a speech
// dispatcher with its own configuration speaking through espeak-ng into
// ALSA's null device, and Orca with a home of its own, its debug output
// written line by line. What Orca speaks is read back from that output.
//
// Everything lives in one short 0700 folder made under /tmp; every process
// is stopped by its id (Orca, which takes seconds to end, is given them),
// including the accessibility registry, which the bus starts and which
// outlives its parent. The folder is removed at the end.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "desktop_session.h"

namespace vornakka::test {

class OrcaSession {
public:
    using Env = std::vector<std::pair<std::string, std::string>>;

    // Empty, with the reason in whyNot, when a program is missing or does not
    // come up.
    static std::unique_ptr<OrcaSession> start(std::string& whyNot);
    ~OrcaSession();
    OrcaSession(const OrcaSession&) = delete;
    OrcaSession& operator=(const OrcaSession&) = delete;

    // The environment for the game under test: the display, the session bus
    // and accessibility switched on.
    Env clientEnvironment() const;
    const std::string& display() const { return display_; }
    // Orca's major version: 43 on Debian 12, 48 on Debian 13, 51 on testing.
    int major() const { return major_; }

    // Every utterance Orca has spoken so far, in order.
    std::vector<std::string> spoken() const;
    // Presses keys on the display, as the player would (xdotool key names).
    void key(const std::string& keys) const;
    // Holds a key down and lets it go: the display repeats no key held.
    void keyDown(const std::string& key) const;
    void keyUp(const std::string& key) const;
    // How many key releases Orca has finished handling. Orca 43 hears keys
    // from the game itself: Qt's bridge holds each key until the registry
    // says whether Orca took it, gives up after 100 ms and then hands the
    // game every key it holds, Orca's own commands too; an answer coming
    // later is matched to whichever key waits first. A key pressed only
    // after Orca has handled the last one meets no such late answer.
    int keysHandled() const;
    // How many of Orca's own commands (a review key, say) it has carried out.
    // Orca takes a key in as it comes and carries its command out a moment
    // later, once it has taken in whatever else is queued.
    int commandsDone() const;

private:
    OrcaSession() = default;
    // Lines of Orca's debug output that start with one of marks.
    int linesStartingWith(std::initializer_list<const char*> marks) const;
    // Each of the session's processes ends should the test be killed.
    void spawn(const std::vector<std::string>& argv, const Env& env, const std::string& log, int keepFd = -1,
               std::chrono::milliseconds grace = std::chrono::milliseconds(3000));
    void stopAll();

    std::unique_ptr<ScratchFolder> folder_;
    std::string display_;
    std::string bus_;
    int major_ = 0;
    std::vector<std::unique_ptr<ChildProcess>> children_;  // in starting order
};

}  // namespace vornakka::test
