// A process of some other user against the game's guard, for the one-game
// test (run through setpriv as that user):
//   guard_probe squat FOLDER UID   takes the name a game of user UID would
//                                  have in FOLDER before that game starts,
//                                  tries to hold the folder's lock file, and
//                                  then answers every connection "shown",
//                                  printing what it was sent;
//   guard_probe ask FOLDER UID     asks the game of user UID in FOLDER to come
//                                  to the front, with an activation token, and
//                                  prints the answer.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/single_game.h"

namespace {

socklen_t addressOf(const std::string& name, sockaddr_un& a) {
    std::memset(&a, 0, sizeof a);
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path + 1, name.data(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

// What comes on fd within the time, up to a line feed.
std::string readLine(int fd, int waitMs) {
    std::string text;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0 && ::recv(fd, &c, 1, 0) == 1) {
        text += c;
        if (c == '\n') break;
    }
    return text;
}

std::string shown(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text.empty() ? "nothing" : "\"" + text + "\"";
}

int squat(const std::string& folder, const std::string& name) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    const socklen_t length = addressOf(name, a);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), length) != 0 || ::listen(fd, 8) != 0) {
        std::printf("squatter: cannot take %s: %s\n", name.c_str(), std::strerror(errno));
        return 1;
    }
    const std::string lockPath = folder + "/" + vornakka::SingleGame::kLockFileName;
    int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0) lock = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    const std::string lockResult =
        lock < 0 ? std::string("cannot open it (") + std::strerror(errno) + ")"
                 : (::flock(lock, LOCK_EX | LOCK_NB) == 0 ? "HOLDS IT" : "opened it, cannot lock it");
    std::printf("squatter (uid %u): holds the name %s; the lock file: %s\n", ::getuid(), name.c_str(),
                lockResult.c_str());
    std::fflush(stdout);
    for (;;) {
        const int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        std::printf("squatter: a connection; it sent %s\n", shown(readLine(client, 1000)).c_str());
        std::fflush(stdout);
        (void)::send(client, "shown\n", 6, MSG_NOSIGNAL);
        ::close(client);
    }
}

int ask(const std::string& name) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    const socklen_t length = addressOf(name, a);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), length) != 0) {
        std::printf("foreign asker (uid %u): cannot connect: %s\n", ::getuid(), std::strerror(errno));
        return 0;
    }
    const std::string line = "show token-of-another-user\n";
    (void)::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
    std::printf("foreign asker (uid %u): sent \"show token-of-another-user\"; the game answered %s\n", ::getuid(),
                shown(readLine(fd, 3000)).c_str());
    ::close(fd);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s squat|ask FOLDER UID\n", argv[0]);
        return 2;
    }
    const std::string what = argv[1];
    const std::string folder = argv[2];
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        std::fprintf(stderr, "%s: %s\n", folder.c_str(), std::strerror(errno));
        return 2;
    }
    const std::string name = vornakka::SingleGame::addressFor(std::strtoul(argv[3], nullptr, 10),
                                                              static_cast<unsigned long long>(st.st_dev),
                                                              static_cast<unsigned long long>(st.st_ino));
    if (what == "squat") return squat(folder, name);
    if (what == "ask") return ask(name);
    return 2;
}
