// What the game's windows tell a screen reader beyond the names of their
// controls: results said once when they are final, buttons that describe what
// a press does now, and the pieces of a picture that stand for nothing alone.
//
// Screen readers speak what has the focus and what a program raises as a
// notification or an announcement; they do not follow labels changing
// somewhere in a window. So a result goes out through an Announcer, and a
// button's present meaning is its description, read when the button takes
// the focus.
#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace vornakka {

// An invisible object of the notification role that says each text once.
// Where Qt has announcements (6.8 on), a text is announced, and the reader
// speaks just the text. Before that, say() shows the object again with the
// text as its name, which a reader voices as a desktop notification, the
// word "notification" first. It draws nothing, takes no clicks and no focus.
class Announcer : public QWidget {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent);

    void say(const QString& text);
};

// How a push button is spoken: a description of what a press does now, asked
// whenever a screen reader reads the button, and, for a button that toggles
// something, whether that is on (the button is then a check box to the
// reader, and its look does not change).
struct ButtonSpeech {
    std::function<QString()> description;
    std::function<std::optional<bool>()> checked;  // empty: not a toggle
};

// The push button of the game's windows. Until it is given a speech, a
// screen reader meets it as any push button.
class SpeakingButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    void setSpeech(ButtonSpeech speech);
    const ButtonSpeech* speech() const { return speech_ ? &*speech_ : nullptr; }

private:
    std::optional<ButtonSpeech> speech_;
};

// Runs next, which brings up a window that takes the focus, once a screen
// reader has had time to take what was said just before: a reader speaks a
// window that comes up at once ahead of what it was told a moment earlier
// (Orca 48 takes window events first). With no reader listening, at once.
void afterSaying(QObject* context, std::function<void()> next);

// Tells the screen reader that a toggle button's state changed, so that a
// reader on that button says its new state.
void checkedChanged(QPushButton* button);

// Leaves a control out of what screen readers read: a fragment of a picture
// whose meaning another control speaks whole (a paytable pattern, a caption
// that the counter under it already says).
void hideFromScreenReader(QWidget* control);

// Has screen readers meet a control of no reading kind of its own as a label
// that says the control's accessible name (a hold lamp). Called as the
// control is made, before any reader has asked about it.
void speakAsText(QWidget* control);

}  // namespace vornakka
