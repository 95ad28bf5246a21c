// What the game's four windows have in common: a fixed client size and
// background, a default and a cancel button for Return and Escape, centring
// on the first showing, an owner to stay above, the title bar its flags ask
// for, enabling and disabling as a whole without losing the focused control,
// and a close request that each window answers itself.
#pragma once

#include <QElapsedTimer>
#include <QMargins>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

#include "common/fonts.h"
#include "common/x11_hints.h"
#include "vornakka/services.h"

namespace vornakka {

class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow(const char* name, Qt::WindowFlags flags, const QString& title, const QSize& clientSize,
               Colour background, const FontDesc& defaultFont);

    // Shows the window, in the middle of the screen the first time and where
    // it was left later, above the others and active. The whole window,
    // frame included, is centred: the frame is taken from the window shown
    // before or, for the first window, asked of the X11 window manager; once
    // the window is on screen and its real frame known, the first showing
    // places it again if need be (and sizes it, see setOuterSize). Where the
    // window system places windows itself (Wayland) that is all a wish.
    void showWindow();

    // The window that this one belongs to. It is kept above its owner, so
    // that a click on the owner (disabled while this window waits for an
    // answer) never hides it; it is a child of the owner for the window
    // manager only: enabling and disabling stay separate. Set before the
    // first showing.
    void setOwner(FormWindow* owner) { owner_ = owner; }
    FormWindow* owner() const { return owner_; }

    // The whole window, frame and title bar included, measures outer where
    // the frame leaves the client area at least minClient; where it does
    // not, the client area is minClient in that direction. Applied when the
    // window is first shown and its frame is known.
    void setOuterSize(const QSize& outer, const QSize& minClient);

    // The frame around the window, as the window system reports it; empty
    // until the window has been shown with a frame.
    QMargins frameMargins() const;

    // A disabled window takes no mouse or keyboard input; it looks the same
    // and its timers run on. The control that had the focus gets it back when
    // the window is enabled again.
    void setWindowEnabled(bool enabled);

    QPushButton* defaultButton() const { return defaultButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

protected:
    // Return presses the default button when no push button has the focus
    // (a focused push button presses itself); Escape presses the cancel
    // button wherever the focus is.
    void setDefaultButton(QPushButton* button) { defaultButton_ = button; }
    void setCancelButton(QPushButton* button) { cancelButton_ = button; }

    // A push button of the window's own look: the caption in the given font
    // and colour, Return presses it while it has the focus.
    QPushButton* addButton(const char* name, const QRect& box, const QString& caption, const FontDesc& font,
                           std::optional<Colour> captionColour = std::nullopt);

    // Call once the window's own colours are set: a disabled window keeps
    // drawing exactly as an enabled one.
    void keepLookWhenDisabled();

    // The window manager's close request (the title bar's close button). The
    // default hides the window; each window says what it means instead.
    virtual void closeRequested(QCloseEvent* event);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Creates the native window, names the owner and writes the title-bar
    // hints, all before the window is mapped.
    void prepareNativeWindow();
    // After mapping: the hints that Qt does not keep (see common/x11_hints.h).
    void keepX11Hints();
    // What the title bar asks the X11 window manager for.
    x11::MotifHints motifHints() const;
    // The client rectangle that centres the whole window, for a frame.
    QRect centredClientRect(const QMargins& frame) const;
    void checkFrame();

    FormWindow* owner_ = nullptr;
    std::optional<QSize> outerSize_;
    QSize minClient_;
    QTimer frameTimer_;
    QElapsedTimer frameWait_;
    QPointer<QPushButton> defaultButton_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QWidget> focusBeforeDisabled_;
    bool placed_ = false;
};

// The game's visible windows, each after the window it belongs to: the
// machine window first, the window the player is looking at last.
std::vector<FormWindow*> visibleFormsOwnersFirst();

}  // namespace vornakka
