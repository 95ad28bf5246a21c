#include "shell/show_requests.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/form_window.h"

namespace vornakka {

namespace {

// A request is one short line; a peer that sends more, or nothing for this
// long, is dropped.
constexpr std::size_t kMostRequestBytes = 1024;
constexpr int kRequestWaitMs = 2000;
constexpr std::size_t kMostTokenBytes = 512;

// The words a running game answers a later start with, one line each.
constexpr const char* kAnswerShown = "shown\n";
constexpr const char* kAnswerAttention = "attention\n";
constexpr const char* kAnswerNotShown = "not shown\n";

// Tokens are printable ASCII without blanks, at most 512 bytes.
bool validToken(const std::string& token) {
    if (token.empty() || token.size() > kMostTokenBytes || token == "-") return false;
    for (const char c : token) {
        if (c <= ' ' || c > '~') return false;
    }
    return true;
}

// The line a later start sends: "show" and the token, or "show -".
std::string showRequestLine(const std::string& token) {
    return "show " + (validToken(token) ? token : std::string("-")) + "\n";
}

// The token of such a line; empty for "-" or for a line that is not one.
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

// The activation token a launcher gave this start, checked as above; empty
// when there is none.
std::string launchActivationToken() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && validToken(value)) return value;
    }
    return {};
}

}  // namespace

ShowAnswer askToShowWindows(const SingleGame& single, int timeoutMs) {
    const int fd = single.connectToRunningGame();
    if (fd < 0) return ShowAnswer::NoAnswer;
    // The game of this start's own user only: the name may have changed
    // hands since it was looked at.
    unsigned long uid = 0;
    long pid = 0;
    std::string reply;
    const std::string line = showRequestLine(launchActivationToken());
    if (peerOf(fd, uid, pid) && uid == ::geteuid() &&
        ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
        // The answer comes once the running game's event loop has shown the
        // windows and seen what the desktop made of it; a game still starting
        // up answers when it gets there.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        char buffer[64];
        while (reply.find('\n') == std::string::npos && reply.size() < 64) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) break;
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) break;
            reply.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    if (reply == kAnswerShown) return ShowAnswer::Shown;
    if (reply == kAnswerAttention) return ShowAnswer::AskedForAttention;
    if (reply == kAnswerNotShown) return ShowAnswer::NotShown;
    return ShowAnswer::NoAnswer;
}

const char* showAnswerMessage(ShowAnswer answer) {
    switch (answer) {
        case ShowAnswer::Shown:
            return "the game already runs in this folder; it was brought to the front";
        case ShowAnswer::AskedForAttention:
            return "the game already runs in this folder; the desktop did not let it come to the front, so it "
                   "asks for your attention: switch to the Vornakka window from the task bar or window list";
        case ShowAnswer::NotShown:
            return "the game already runs in this folder, but the desktop did not let it come to the front: "
                   "switch to the Vornakka window from the task bar or window list";
        case ShowAnswer::NoAnswer:
            break;
    }
    return "the game already runs in this folder but did not answer; switch to the Vornakka window from the "
           "task bar or window list";
}


QWidget* bringGameToFront(const QString& activationToken) {
    // The game's windows, owners first, then its message boxes above them.
    std::vector<QWidget*> windows;
    for (FormWindow* form : visibleFormsOwnersFirst()) windows.push_back(form);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && qobject_cast<QDialog*>(w) != nullptr) windows.push_back(w);
    }
    if (windows.empty()) return nullptr;
    QWidget* active = windows.back();
    for (QWidget* w : windows) {
        if (w->isMinimized()) w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->raise();
        if (w->isEnabled()) active = w;
    }
    // Qt's Wayland shell takes the token for the next activation from here.
    if (!activationToken.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toLatin1());
    }
    active->activateWindow();
    return active;
}

ShowRequests::ShowRequests(int listeningSocket, QObject* parent) : QObject(parent), listener_(listeningSocket) {
    if (listener_ < 0) return;
    notifier_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShowRequests::accept);
}

ShowRequests::~ShowRequests() {
    delete notifier_;
    if (listener_ >= 0) ::close(listener_);
}

void ShowRequests::accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return;  // EAGAIN: no one else waiting
        }
        // Another user's process gets nothing: not a window raised, not a
        // word back.
        unsigned long uid = 0;
        long pid = 0;
        if (!peerOf(fd, uid, pid) || uid != ::geteuid()) {
            ::close(fd);
            continue;
        }
        // Each connection lives in its notifier: deleting the notifier (at
        // the answer, the time limit or the end of the game) closes it.
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QObject::destroyed, [fd] { ::close(fd); });
        auto request = std::make_shared<std::string>();
        auto* timeout = new QTimer(notifier);
        timeout->setSingleShot(true);
        const auto finish = [notifier] {
            notifier->setEnabled(false);
            notifier->deleteLater();
        };
        connect(timeout, &QTimer::timeout, notifier, finish);
        connect(notifier, &QSocketNotifier::activated, this, [this, request, fd, notifier, timeout, finish] {
            char buffer[256];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
            if (got > 0) request->append(buffer, static_cast<std::size_t>(got));
            const std::size_t end = request->find('\n');
            if (end == std::string::npos && got > 0 && request->size() < kMostRequestBytes) return;
            timeout->stop();
            std::string token;
            if (end != std::string::npos && parseShowRequest(request->substr(0, end + 1), token)) {
                notifier->setEnabled(false);
                answer(fd, notifier, bringGameToFront(QString::fromStdString(token)));
                return;
            }
            finish();
        });
        timeout->start(kRequestWaitMs);
    }
}

// Waits for the desktop to make one of the game's windows the active one;
// when it does not, the game asks for the player's attention where the
// platform has a way to (the window manager's urgency hint on X11), and says
// which it was.
void ShowRequests::answer(int fd, QObject* connection, QWidget* brought) {
    const QPointer<QWidget> window(brought);
    auto* check = new QTimer(connection);
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    connect(check, &QTimer::timeout, connection, [this, fd, connection, check, waited, window] {
        const char* reply = nullptr;
        if (QApplication::activeWindow() != nullptr) {
            reply = kAnswerShown;
        } else if (waited->elapsed() >= kActivationWaitMs) {
            reply = kAnswerNotShown;
            if (window != nullptr && QGuiApplication::platformName() == QLatin1String("xcb")) {
                QApplication::alert(window);
                reply = kAnswerAttention;
            }
        }
        if (reply == nullptr) return;
        check->stop();
        ++answered_;
        (void)::send(fd, reply, std::strlen(reply), MSG_NOSIGNAL);
        emit shown();
        connection->deleteLater();
    });
    check->start(20);
}

}  // namespace vornakka
