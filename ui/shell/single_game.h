// One game per game folder. Each game reads VORNA.DAT and LIST.VRK once at
// start-up and writes its own copy back when a game ends, so two games on one
// folder would overwrite each other's high scores and jackpot.
//
// A game holds two things while it runs, both dropped by the kernel when the
// process ends however it ends (a kill, a crash, a power cut leaves nothing
// that blocks the next start):
//   - a listening Unix socket in the abstract namespace, named after the
//     folder's device and inode number. Binding it is atomic, so of two starts
//     only one gets it; the other connects to it and asks the running game to
//     show its windows. The abstract namespace leaves no file anywhere, and
//     the name alone keeps a second game out of a folder where no lock file
//     can be made (a read-only folder);
//   - an exclusive flock() on ".vornakka.lock" in the game folder. It reaches
//     games on other computers sharing the folder over NFS (Linux carries
//     flock there as a whole-file lock), which the socket's name cannot.
//     flock works on a file opened read-only too.
// The lock file is never removed: removing it would let a game that opened the
// old file and a game that made a new one both hold "the" lock.
#pragma once

#include <string>

namespace vornakka {

class SingleGame {
public:
    static constexpr const char* kLockFileName = ".vornakka.lock";

    // Claims the working directory for this game. Never fails: what cannot
    // be had is left out and said in notes().
    static SingleGame claim();

    SingleGame(SingleGame&& other) noexcept;
    SingleGame& operator=(SingleGame&& other) noexcept;
    SingleGame(const SingleGame&) = delete;
    SingleGame& operator=(const SingleGame&) = delete;
    ~SingleGame();

    // Another game runs in this folder. Also when the folder is locked but
    // the name is free: that game runs on another computer sharing the
    // folder and cannot be shown from here (address() is empty).
    bool anotherGameRuns() const { return anotherGameRuns_; }
    // This game holds the lock file (not only the socket's name).
    bool holdsLockFile() const { return lock_ >= 0; }
    // Why the folder is guarded less than fully, or empty.
    const std::string& notes() const { return notes_; }
    // The socket's name in the abstract namespace, without the leading NUL.
    const std::string& address() const { return address_; }

    // The listening socket for the requests of later starts, handed over to
    // the caller (-1 when there is none).
    int takeListeningSocket();

    // A later start: asks the running game to bring its windows to the front,
    // passing on this start's activation token (XDG_ACTIVATION_TOKEN, or
    // DESKTOP_STARTUP_ID), and waits up to timeoutMs for it to answer.
    bool askToShowWindows(int timeoutMs) const;

private:
    SingleGame() = default;

    int lock_ = -1;
    int listener_ = -1;
    bool anotherGameRuns_ = false;
    std::string address_;
    std::string notes_;
};

// The line a later start sends: "show" and the token, or "show -".
std::string showRequestLine(const std::string& token);
// The token of such a line; empty for "-" or for a line that is not one.
// Tokens are printable ASCII without blanks, at most 512 bytes.
bool parseShowRequest(const std::string& line, std::string& token);

// The activation token a launcher gave this start, checked as above; empty
// when there is none.
std::string launchActivationToken();

}  // namespace vornakka
