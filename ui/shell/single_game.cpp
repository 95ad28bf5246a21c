#include "shell/single_game.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace vornakka {

namespace {

constexpr std::size_t kMostTokenBytes = 512;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string reason(int error) { return std::strerror(error); }

bool validToken(const std::string& token) {
    if (token.empty() || token.size() > kMostTokenBytes || token == "-") return false;
    for (const char c : token) {
        if (c <= ' ' || c > '~') return false;
    }
    return true;
}

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

// Takes the folder's lock file, making it when it is not there yet. A file
// that may not be written is locked through a read-only descriptor; a link,
// a pipe or anything else that is not a plain file is not used.
Lock lockFolder(int& fd, std::string& why) {
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    do {
        fd = ::open(SingleGame::kLockFileName, O_RDWR | O_CREAT | kFlags, 0666);
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

}  // namespace

std::string showRequestLine(const std::string& token) {
    return "show " + (validToken(token) ? token : std::string("-")) + "\n";
}

bool parseShowRequest(const std::string& line, std::string& token) {
    token.clear();
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.rfind("show ", 0) != 0) return false;
    const std::string given = text.substr(5);
    if (given == "-") return true;
    if (!validToken(given)) return false;
    token = given;
    return true;
}

std::string launchActivationToken() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && validToken(value)) return value;
    }
    return {};
}

SingleGame SingleGame::claim() {
    SingleGame game;
    struct stat folder {};
    if (::stat(".", &folder) != 0) {
        game.notes_ = "the game folder cannot be examined (" + reason(errno) + ")";
        return game;
    }
    // The folder's identity rather than its path: a symbolic link or a bind
    // mount leads to the same game.
    char name[64];
    std::snprintf(name, sizeof name, "vornakka-%llx-%llx", static_cast<unsigned long long>(folder.st_dev),
                  static_cast<unsigned long long>(folder.st_ino));
    game.address_ = name;

    // The name first: taking it is atomic, and a start that finds it taken
    // has touched nothing in the folder.
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0) {
        sockaddr_un address{};
        const socklen_t length = abstractAddress(game.address_, address);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(fd, 8) == 0) {
            game.listener_ = fd;
        } else {
            const int error = errno;
            closeFd(fd);
            if (error == EADDRINUSE) {
                game.anotherGameRuns_ = true;
                return game;
            }
            game.notes_ = "a later start cannot show this game (" + reason(error) + ")";
        }
    } else {
        game.notes_ = "a later start cannot show this game (" + reason(errno) + ")";
    }

    std::string why;
    switch (lockFolder(game.lock_, why)) {
        case Lock::Held:
            break;
        case Lock::Busy:
            // A game holds the folder without its name here: it runs on
            // another computer that shares the folder. It cannot be shown.
            closeFd(game.listener_);
            game.anotherGameRuns_ = true;
            game.address_.clear();
            game.notes_.clear();
            break;
        case Lock::Unavailable:
            game.notes_ += (game.notes_.empty() ? "" : "; ") + std::string("no lock file ") + kLockFileName + " (" +
                           why + "); the folder is kept by the game's name only";
            break;
    }
    return game;
}

SingleGame::SingleGame(SingleGame&& other) noexcept
    : lock_(std::exchange(other.lock_, -1)),
      listener_(std::exchange(other.listener_, -1)),
      anotherGameRuns_(other.anotherGameRuns_),
      address_(std::move(other.address_)),
      notes_(std::move(other.notes_)) {}

SingleGame& SingleGame::operator=(SingleGame&& other) noexcept {
    if (this != &other) {
        closeFd(lock_);
        closeFd(listener_);
        lock_ = std::exchange(other.lock_, -1);
        listener_ = std::exchange(other.listener_, -1);
        anotherGameRuns_ = other.anotherGameRuns_;
        address_ = std::move(other.address_);
        notes_ = std::move(other.notes_);
    }
    return *this;
}

// Closing the lock's descriptor ends the lock; the file stays.
SingleGame::~SingleGame() {
    closeFd(listener_);
    closeFd(lock_);
}

int SingleGame::takeListeningSocket() { return std::exchange(listener_, -1); }

bool SingleGame::askToShowWindows(int timeoutMs) const {
    if (address_.empty()) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    const socklen_t length = abstractAddress(address_, address);
    bool answered = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        const std::string line = showRequestLine(launchActivationToken());
        if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
            // The answer comes once the running game's event loop has shown
            // the windows; a game still starting up answers when it gets there.
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
            std::string reply;
            char buffer[64];
            while (reply.find('\n') == std::string::npos) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    until - std::chrono::steady_clock::now());
                if (left.count() <= 0) break;
                pollfd p{fd, POLLIN, 0};
                const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
                if (ready < 0 && errno == EINTR) continue;
                if (ready <= 0) break;
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) break;
                reply.append(buffer, static_cast<std::size_t>(got));
            }
            answered = reply == "shown\n";
        }
    }
    ::close(fd);
    return answered;
}

}  // namespace vornakka
