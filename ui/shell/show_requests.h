// The running game's side of "one game per game folder": a later start on the
// same folder connects to the game's socket and asks it to show its windows;
// the game brings them to the front and answers "shown".
#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vornakka {

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
    // A later start asked; the windows have been brought to the front.
    void shown();

private:
    void accept();

    int listener_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    int answered_ = 0;
};

// Brings the game's visible windows to the front: the machine window first,
// then the high-score window, the name dialog, the about box and any message
// box above it, un-minimised; the topmost of them that takes input is
// activated. On Wayland a window may take the focus only with an activation
// token from the compositor; the token of the later start is used for that
// when it brought one.
void bringGameToFront(const QString& activationToken);

}  // namespace vornakka
