// One game per game folder. Each game reads VORNA.DAT and LIST.VRK once at
// start-up and writes its own copy back when a game ends, so two games on one
// folder would overwrite each other's high scores and jackpot.
//
// A game holds two things while it runs, both dropped by the kernel when the
// process ends however it ends (a kill, a crash, a power cut leaves nothing
// that blocks the next start):
//   - a listening Unix socket in the abstract namespace, named after the
//     player's user id and the folder's device and inode number. Binding it
//     is atomic, so of two starts only one gets it; the other connects to it
//     and asks the running game to show its windows. The abstract namespace
//     leaves no file anywhere, and the name alone keeps a second game out of
//     a folder where no lock file can be made (a read-only folder);
//   - an exclusive flock() on ".vornakka.lock" in the game folder. It reaches
//     games on other computers sharing the folder over NFS (Linux carries
//     flock there as a whole-file lock), which the socket's name cannot.
//     flock works on a file opened read-only too.
// The lock file is never removed: removing it would let a game that opened the
// old file and a game that made a new one both hold "the" lock.
//
// Any user of the computer can bind or connect to a name in the abstract
// namespace: it has no owner and no permissions. So both sides ask the kernel
// who is at the other end (SO_PEERCRED) and deal only with the player's own
// user: a later start talks only to a game of its own user, and the running
// game answers only its own user. A name held by anyone else counts for
// nothing; the lock file decides then. The lock file can be opened only by
// those who may change the folder (its owner, and the group or everyone when
// the folder lets them write), so nobody else can hold it to keep the game
// out.
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
    // no game of this user holds the name: that game runs on another
    // computer sharing the folder, or for another user, and cannot be shown
    // from here (address() is empty; elsewhere() says where it runs).
    bool anotherGameRuns() const { return anotherGameRuns_; }
    // For a game that cannot be shown from here: who holds the lock file, in
    // words ("on another computer sharing the folder", "by process 123 of
    // user 1003").
    const std::string& elsewhere() const { return elsewhere_; }
    // This game holds the lock file (not only the socket's name).
    bool holdsLockFile() const { return lock_ >= 0; }
    // Why the folder is guarded less than fully, or empty.
    const std::string& notes() const { return notes_; }
    // The socket's name in the abstract namespace, without the leading NUL.
    const std::string& address() const { return address_; }

    // The listening socket for the requests of later starts, handed over to
    // the caller (-1 when there is none).
    int takeListeningSocket();
    // A later start: a connection to the running game of this folder's
    // name for the show request (shell/show_requests.h), made without
    // waiting (-1 when there is none or it does not take one). The other end
    // may be anyone's: ask peerOf() before trusting it.
    int connectToRunningGame() const;

    // The socket's name for a user's game in a folder.
    static std::string addressFor(unsigned long uid, unsigned long long device, unsigned long long inode);

private:
    SingleGame() = default;

    int lock_ = -1;
    int listener_ = -1;
    bool anotherGameRuns_ = false;
    std::string address_;
    std::string notes_;
    std::string elsewhere_;
};

// The user id of the process at the other end of a connected Unix socket, and
// its process id; false when the kernel cannot say.
bool peerOf(int fd, unsigned long& uid, long& pid);

}  // namespace vornakka
