// What the game's four windows have in common: a fixed client size and
// background, a default and a cancel button for Return and Escape, centring
// on the first showing, enabling and disabling as a whole without losing the
// focused control, and a close request that each window answers itself.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <optional>

#include "common/fonts.h"
#include "vornakka/services.h"

namespace vornakka {

class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow(const char* name, Qt::WindowFlags flags, const QString& title, const QSize& clientSize,
               Colour background, const FontDesc& defaultFont);

    // Shows the window, in the middle of the screen the first time and where
    // it was left later, above the others and active.
    void showWindow();

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
    QPointer<QPushButton> defaultButton_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QWidget> focusBeforeDisabled_;
    bool placed_ = false;
};

}  // namespace vornakka
