// The show request of "one game per game folder", both sides: a later start on
// the same folder connects to the running game's socket (SingleGame) and
// sends one line, "show" and its activation token or "show -"; the game
// brings its windows to the front and answers one line on what came of it:
// "shown" when one of its windows became the active one, "attention" when
// the desktop kept it back and the game asks for the player's attention
// instead (the task-bar entry flashes), "not shown" when the desktop offers
// neither. Only a process of the game's own user is answered; any other
// connection is closed unread. The later start then tells the player.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "shell/single_game.h"

class QSocketNotifier;
class QWidget;

namespace vornakka {

// ------------------------------------------------------------ a later start

// What the running game did when a later start asked it to come forward.
enum class ShowAnswer {
    Shown,              // its window is the active one now
    AskedForAttention,  // the desktop kept it back; it asks for attention
    NotShown,           // the desktop kept it back and offers nothing else
    NoAnswer,           // no game of this user answered in time
};

// Asks the game running in the folder `single` found taken to bring its
// windows to the front, passing on this start's activation token
// (XDG_ACTIVATION_TOKEN, or DESKTOP_STARTUP_ID), and waits up to timeoutMs
// for it to answer. Only a game of this same user is asked: the token goes
// to no one else.
ShowAnswer askToShowWindows(const SingleGame& single, int timeoutMs);

// What a later start tells the player of an answer, one line without the
// program's name.
const char* showAnswerMessage(ShowAnswer answer);

// ------------------------------------------------------------ the running game

class ShowRequests : public QObject {
    Q_OBJECT
public:
    // Takes over the listening socket (nothing is done for -1).
    explicit ShowRequests(int listeningSocket, QObject* parent = nullptr);
    ~ShowRequests() override;
    ShowRequests(const ShowRequests&) = delete;
    ShowRequests& operator=(const ShowRequests&) = delete;

    int answered() const { return answered_; }

signals:
    // A later start asked and has been answered.
    void shown();

private:
    void accept();
    void answer(int fd, QObject* connection, QWidget* brought);

    int listener_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    int answered_ = 0;
};

// Brings the game's visible windows to the front: the machine window first,
// then the high-score window, the name dialog, the about box and any message
// box above it, un-minimised; the topmost of them that takes input is
// activated. On Wayland a window may take the focus only with an activation
// token from the compositor; the token of the later start is used for that
// when it brought one. Returns the window that was asked to take the focus
// (nullptr when no window is visible).
QWidget* bringGameToFront(const QString& activationToken);

// How long the running game waits for the desktop to make one of its windows
// the active one before it asks for attention instead.
inline constexpr int kActivationWaitMs = 1000;

}  // namespace vornakka
