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
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

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

// Runs next, which brings up a window that takes the focus, once the screen
// reader has taken what the window was told to say just before. Orca 48 and
// later handle a new window's events ahead of an announcement still waiting
// in their queue, however early the announcement came; so the window waits
// for a receipt: a value changed on a hidden object, whose new value the
// reader asks for when it handles that change, in turn after the
// announcement. The change goes out behind whatever the event loop already
// holds, so words said there at its next turn go first. With no reader
// listening, at once.
void afterSaying(QWidget* window, std::function<void()> next);

// The hidden object of afterSaying, one in a window that uses it.
class SpeechReceipt : public QWidget {
    Q_OBJECT
public:
    explicit SpeechReceipt(QWidget* window);
    // Changes the value and runs next once a reader has asked for it.
    void await(std::function<void()> next);
    // The value, as a reader asks for it: the receipt.
    int asked();

private:
    // Runs what waited for a change up to the value upTo.
    void release(int upTo);

    struct Waiting {
        int value;  // of the change it waits for; 0 until that is sent
        std::function<void()> next;
    };
    int value_ = 0;
    std::vector<Waiting> waiting_;
    QTimer unanswered_;
};

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
