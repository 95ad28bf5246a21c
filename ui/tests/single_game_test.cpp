// One game per game folder, inside one process: a folder held from another
// computer or without a usable lock file, and the running game's answer to a
// later start (its windows come to the front; garbage is ignored).
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <cstddef>
#include <cstring>
#include <future>
#include <string>

#include "Nimi/nimi.h"
#include "Vorna/vorna.h"
#include "shell/show_requests.h"
#include "shell/single_game.h"
#include "support.h"

namespace vornakka::test {
namespace {

TEST(SingleGameTest, AFolderHeldElsewhereOrWithoutAUsableLockFile) {
    {
        GameFolder folder;
        // A game on another computer holds the lock file, and no game here
        // holds the name: this start ends too, with nothing to ask.
        const int held = ::open(SingleGame::kLockFileName, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        SingleGame start = SingleGame::claim();
        EXPECT_TRUE(start.anotherGameRuns());
        // The kernel names the holder when it runs on this computer.
        EXPECT_EQ(start.elsewhere(), "as process " + std::to_string(::getpid()) + " of yours");
        EXPECT_EQ(askToShowWindows(start, 100), ShowAnswer::NoAnswer);
        EXPECT_EQ(start.takeListeningSocket(), -1);
        ::close(held);
        // Nothing of the refused start lingers: the next one plays.
        EXPECT_FALSE(SingleGame::claim().anotherGameRuns());
    }
    {
        // Only those who may change the folder can open its lock file (and
        // so hold it): a lock file an older game left open to everyone is
        // closed to them, and a folder the group may write shares it.
        GameFolder folder;
        ASSERT_EQ(::chmod(".", 0755), 0);
        const int old = ::open(SingleGame::kLockFileName, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(old, 0);
        ::close(old);
        ASSERT_EQ(::chmod(SingleGame::kLockFileName, 0666), 0);
        struct stat lockFile {};
        {
            const SingleGame game = SingleGame::claim();
            ASSERT_TRUE(game.holdsLockFile());
            ASSERT_EQ(::stat(SingleGame::kLockFileName, &lockFile), 0);
            EXPECT_EQ(lockFile.st_mode & 07777, 0600u);
        }
        ASSERT_EQ(::chmod(".", 0775), 0);
        const SingleGame game = SingleGame::claim();
        ASSERT_EQ(::stat(SingleGame::kLockFileName, &lockFile), 0);
        EXPECT_EQ(lockFile.st_mode & 07777, 0660u);
    }
    GameFolder folder;
    // A lock file that is a link is not followed; the name alone keeps a
    // second game out, and says so.
    ASSERT_EQ(::symlink("LIST.VRK", SingleGame::kLockFileName), 0);
    SingleGame start = SingleGame::claim();
    EXPECT_FALSE(start.anotherGameRuns());
    EXPECT_FALSE(start.holdsLockFile());
    EXPECT_NE(start.notes().find("kept by the game's name only"), std::string::npos) << start.notes();
    EXPECT_TRUE(SingleGame::claim().anotherGameRuns());
}

// Sends bytes to the running game's socket as a later start would, and
// returns whatever comes back before the game closes the connection.
std::string talkTo(const std::string& address, const std::string& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "no socket";
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path + 1, address.data(), address.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + address.size());
    std::string reply;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), length) == 0) {
        (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR);
        char buffer[64];
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            reply.append(buffer, static_cast<std::size_t>(got));
        }
    } else {
        reply = "no connection";
    }
    ::close(fd);
    return reply;
}

template <class T>
bool ready(std::future<T>& f) {
    return waitUntil([&] { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
}

using ShowRequestsTest = GameTest;

TEST_F(ShowRequestsTest, ALaterStartBringsTheWindowsToTheFront) {
    start();
    SingleGame running = SingleGame::claim();
    ShowRequests requests(running.takeListeningSocket());
    SingleGame later = SingleGame::claim();
    ASSERT_TRUE(later.anotherGameRuns());

    // The machine window alone, behind a window of some other kind.
    QWidget other;
    other.setGeometry(0, 0, 200, 200);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &other; }, 2000));
    ::setenv("XDG_ACTIVATION_TOKEN", "token-of-the-menu", 1);
    auto asked = std::async(std::launch::async, [&] { return askToShowWindows(later, 5000); });
    ASSERT_TRUE(ready(asked));
    ::unsetenv("XDG_ACTIVATION_TOKEN");
    EXPECT_EQ(asked.get(), ShowAnswer::Shown);
    EXPECT_EQ(requests.answered(), 1);
    EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &machineWindow(); }, 2000));

    // The name dialog over the disabled machine window: the dialog takes the
    // focus.
    machineWindow().openNameEntry(5);
    other.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &other; }, 2000));
    auto again = std::async(std::launch::async, [&] { return askToShowWindows(later, 5000); });
    ASSERT_TRUE(ready(again));
    EXPECT_EQ(again.get(), ShowAnswer::Shown);
    EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &game->form3(); }, 2000));

    // What is no request is dropped unanswered, and the game goes on.
    for (const std::string& garbage : {std::string("raise\n"), std::string(), std::string(4000, 'x')}) {
        auto reply = std::async(std::launch::async, [&] { return talkTo(running.address(), garbage); });
        ASSERT_TRUE(ready(reply));
        EXPECT_EQ(reply.get(), "") << garbage.substr(0, 10);
    }
    EXPECT_EQ(requests.answered(), 2);
    auto last = std::async(std::launch::async, [&] { return talkTo(running.address(), "show -\n"); });
    ASSERT_TRUE(ready(last));
    EXPECT_EQ(last.get(), "shown\n");
}

TEST(ShowRequestsAnswer, AGameTheDesktopKeepsBackSaysSo) {
    // No window of the game can become the active one (none is shown, as
    // on a desktop that refuses): after its wait the game answers so, and
    // the later start hears it.
    GameFolder folder;
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    SingleGame running = SingleGame::claim();
    ShowRequests requests(running.takeListeningSocket());
    SingleGame later = SingleGame::claim();
    ASSERT_TRUE(later.anotherGameRuns());
    auto asked = std::async(std::launch::async, [&] { return askToShowWindows(later, 5000); });
    ASSERT_TRUE(ready(asked));
    EXPECT_EQ(asked.get(), ShowAnswer::NotShown);
    EXPECT_EQ(requests.answered(), 1);
}

}  // namespace
}  // namespace vornakka::test
