#include "shell/single_game.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

namespace vornakka {

namespace {

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string reason(int error) { return std::strerror(error); }

// The socket address of a game folder in the abstract namespace: a NUL, then
// the name, with no terminator (the length ends it).
socklen_t abstractAddress(const std::string& name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::size_t room = sizeof address.sun_path - 1;
    const std::size_t length = name.size() < room ? name.size() : room;
    std::memcpy(address.sun_path + 1, name.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

enum class Lock { Held, Busy, Unavailable };

// Who may open the lock file: the folder's owner, and its group or everyone
// only when the folder lets them write (they could replace the lock file
// anyway). A user who may only read the folder cannot open it, and so cannot
// hold it to keep the player's game out.
mode_t lockFileMode(const struct stat& folder) {
    mode_t mode = S_IRUSR | S_IWUSR;
    if ((folder.st_mode & S_IWGRP) != 0) mode |= S_IRGRP | S_IWGRP;
    if ((folder.st_mode & S_IWOTH) != 0) mode |= S_IROTH | S_IWOTH;
    return mode;
}

// Takes the folder's lock file, making it when it is not there yet. A file
// that may not be written is locked through a read-only descriptor; a link,
// a pipe or anything else that is not a plain file is not used. A lock file
// of this user's that others could open (an older game made it so) is closed
// to them from now on.
Lock lockFolder(const struct stat& folder, int& fd, std::string& why) {
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const mode_t mode = lockFileMode(folder);
    do {
        fd = ::open(SingleGame::kLockFileName, O_RDWR | O_CREAT | kFlags, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        do {
            fd = ::open(SingleGame::kLockFileName, O_RDONLY | kFlags);
        } while (fd < 0 && errno == EINTR);
    }
    if (fd < 0) {
        why = reason(errno);
        return Lock::Unavailable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "not a plain file";
        closeFd(fd);
        return Lock::Unavailable;
    }
    if (st.st_uid == ::geteuid() && (st.st_mode & 07777) != mode) (void)::fchmod(fd, mode);
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return Lock::Held;
    const int error = errno;
    closeFd(fd);
    if (error == EWOULDBLOCK) return Lock::Busy;
    why = reason(error);
    return Lock::Unavailable;
}

std::string userWords(unsigned long uid) {
    std::string words = "user " + std::to_string(uid);
    if (const passwd* user = ::getpwuid(static_cast<uid_t>(uid)); user != nullptr && user->pw_name != nullptr) {
        words += std::string(" (") + user->pw_name + ")";
    }
    return words;
}

// Who holds the folder's lock file: a process of this computer, as the
// kernel lists it in /proc/locks, or else a game on another computer that
// shares the folder (NFS carries the lock, not its holder).
std::string lockHolder(const struct stat& lockFile) {
    std::ifstream locks("/proc/locks");
    char device[64];
    std::snprintf(device, sizeof device, "%02x:%02x:%llu", major(lockFile.st_dev), minor(lockFile.st_dev),
                  static_cast<unsigned long long>(lockFile.st_ino));
    std::string line;
    while (std::getline(locks, line)) {
        // "1: FLOCK  ADVISORY  WRITE 4242 08:01:1234 0 EOF"
        std::istringstream fields(line);
        std::string number, kind, advisory, access, file;
        long pid = 0;
        if (!(fields >> number >> kind >> advisory >> access >> pid >> file)) continue;
        // (NFS carries flock as a POSIX lock, and may list it so.)
        if ((kind != "FLOCK" && kind != "POSIX") || file != device || pid <= 0) continue;
        struct stat process {};
        if (::stat(("/proc/" + std::to_string(pid)).c_str(), &process) != 0) continue;
        if (process.st_uid == ::geteuid()) return "as process " + std::to_string(pid) + " of yours";
        return "as process " + std::to_string(pid) + " of " + userWords(process.st_uid);
    }
    return "on another computer that shares the folder";
}

enum class Holder { ThisUser, SomeoneElse, Nobody };

// Connects to a game's name without waiting: a full queue or a name that is
// bound but not listening leaves fd at -1.
int connectTo(const std::string& name) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    sockaddr_un address{};
    const socklen_t length = abstractAddress(name, address);
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
    } while (result != 0 && errno == EINTR);
    if (result != 0) closeFd(fd);
    return fd;
}

// Who listens on the name. A game binds its name and listens at once, so a
// name that refuses a connection for a moment belongs to a game starting up;
// one that keeps refusing is held by something that is no game of ours.
Holder holderOfName(const std::string& name, std::string& who) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = connectTo(name);
        if (fd >= 0) {
            unsigned long uid = 0;
            long pid = 0;
            const bool known = peerOf(fd, uid, pid);
            ::close(fd);
            if (known && uid == ::geteuid()) return Holder::ThisUser;
            who = known ? "process " + std::to_string(pid) + " of " + userWords(uid) : "an unknown process";
            return Holder::SomeoneElse;
        }
        if (errno != ECONNREFUSED && errno != EAGAIN) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    who = "a process that does not answer";
    return Holder::SomeoneElse;
}

}  // namespace

bool peerOf(int fd, unsigned long& uid, long& pid) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials) {
        return false;
    }
    uid = credentials.uid;
    pid = credentials.pid;
    return true;
}

std::string SingleGame::addressFor(unsigned long uid, unsigned long long device, unsigned long long inode) {
    char name[96];
    std::snprintf(name, sizeof name, "vornakka-%lu-%llx-%llx", uid, device, inode);
    return name;
}

SingleGame SingleGame::claim() {
    SingleGame game;
    struct stat folder {};
    if (::stat(".", &folder) != 0) {
        game.notes_ = "the game folder cannot be examined (" + reason(errno) + ")";
        return game;
    }
    // The folder's identity rather than its path: a symbolic link or a bind
    // mount leads to the same game. The user's id keeps the games of two
    // users sharing a folder from meeting by name; the lock file keeps them
    // apart.
    game.address_ = addressFor(::geteuid(), static_cast<unsigned long long>(folder.st_dev),
                               static_cast<unsigned long long>(folder.st_ino));

    // The name first: taking it is atomic, and a start that finds its own
    // user's game there has touched nothing in the folder.
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0) {
        sockaddr_un address{};
        const socklen_t length = abstractAddress(game.address_, address);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(fd, 8) == 0) {
            game.listener_ = fd;
        } else {
            const int error = errno;
            closeFd(fd);
            std::string who;
            if (error != EADDRINUSE) {
                game.notes_ = "a later start cannot show this game (" + reason(error) + ")";
            } else if (holderOfName(game.address_, who) == Holder::ThisUser) {
                game.anotherGameRuns_ = true;
                return game;
            } else {
                // Someone else took the name first. It counts for nothing:
                // the lock file decides, and nothing is said to that process.
                game.notes_ = "the game's name " + game.address_ + " is held by " + who +
                              ", not by a game of yours; it is ignored, and a later start cannot bring this "
                              "game to the front";
            }
        }
    } else {
        game.notes_ = "a later start cannot show this game (" + reason(errno) + ")";
    }
    const bool named = game.listener_ >= 0;
    if (!named) game.address_.clear();

    std::string why;
    switch (lockFolder(folder, game.lock_, why)) {
        case Lock::Held:
            break;
        case Lock::Busy: {
            // A game holds the folder without its name here: it runs on
            // another computer that shares the folder, or for another user.
            // It cannot be shown from here.
            struct stat lockFile {};
            game.elsewhere_ = ::stat(kLockFileName, &lockFile) == 0
                                  ? lockHolder(lockFile)
                                  : std::string("on another computer that shares the folder");
            closeFd(game.listener_);
            game.anotherGameRuns_ = true;
            game.address_.clear();
            break;
        }
        case Lock::Unavailable:
            game.notes_ += (game.notes_.empty() ? "" : "; ") + std::string("no lock file ") + kLockFileName + " (" +
                           why + ")" +
                           (named ? "; the folder is kept by the game's name only"
                                  : "; nothing keeps a second game out of this folder");
            break;
    }
    return game;
}

SingleGame::SingleGame(SingleGame&& other) noexcept
    : lock_(std::exchange(other.lock_, -1)),
      listener_(std::exchange(other.listener_, -1)),
      anotherGameRuns_(other.anotherGameRuns_),
      address_(std::move(other.address_)),
      notes_(std::move(other.notes_)),
      elsewhere_(std::move(other.elsewhere_)) {}

SingleGame& SingleGame::operator=(SingleGame&& other) noexcept {
    if (this != &other) {
        closeFd(lock_);
        closeFd(listener_);
        lock_ = std::exchange(other.lock_, -1);
        listener_ = std::exchange(other.listener_, -1);
        anotherGameRuns_ = other.anotherGameRuns_;
        address_ = std::move(other.address_);
        notes_ = std::move(other.notes_);
        elsewhere_ = std::move(other.elsewhere_);
    }
    return *this;
}

// Closing the lock's descriptor ends the lock; the file stays.
SingleGame::~SingleGame() {
    closeFd(listener_);
    closeFd(lock_);
}

int SingleGame::takeListeningSocket() { return std::exchange(listener_, -1); }

int SingleGame::connectToRunningGame() const { return address_.empty() ? -1 : connectTo(address_); }

}  // namespace vornakka
