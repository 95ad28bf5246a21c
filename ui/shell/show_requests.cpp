#include "shell/show_requests.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <cerrno>
#include <string>
#include <vector>

#include "shell/single_game.h"

namespace vornakka {

namespace {

// A request is one short line; a peer that sends more, or nothing for this
// long, is dropped.
constexpr std::size_t kMostRequestBytes = 1024;
constexpr int kRequestWaitMs = 2000;

// The game's four windows bottom to top, then its message boxes; -1 for a
// window that is none of them.
int stackRank(const QWidget* window) {
    static const char* const kOrder[] = {"Form1", "Form2", "Form3", "Form4"};
    for (int i = 0; i < 4; ++i) {
        if (window->objectName() == QLatin1String(kOrder[i])) return i;
    }
    return qobject_cast<const QDialog*>(window) != nullptr ? 4 : -1;
}

}  // namespace

void bringGameToFront(const QString& activationToken) {
    std::vector<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (!w->isVisible() || type == Qt::Popup || type == Qt::ToolTip || stackRank(w) < 0) continue;
        windows.push_back(w);
    }
    if (windows.empty()) return;
    std::stable_sort(windows.begin(), windows.end(),
                     [](const QWidget* a, const QWidget* b) { return stackRank(a) < stackRank(b); });
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
        connect(notifier, &QSocketNotifier::activated, this, [this, request, fd, timeout, finish] {
            char buffer[256];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
            if (got > 0) request->append(buffer, static_cast<std::size_t>(got));
            const std::size_t end = request->find('\n');
            if (end == std::string::npos && got > 0 && request->size() < kMostRequestBytes) return;
            timeout->stop();
            std::string token;
            if (end != std::string::npos && parseShowRequest(request->substr(0, end + 1), token)) {
                bringGameToFront(QString::fromStdString(token));
                ++answered_;
                static const char kReply[] = "shown\n";
                (void)::send(fd, kReply, sizeof kReply - 1, MSG_NOSIGNAL);
                emit shown();
            }
            finish();
        });
        timeout->start(kRequestWaitMs);
    }
}

}  // namespace vornakka
