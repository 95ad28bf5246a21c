// Helpers for the GUI tests: a game folder of its own per test, a fixed time
// of day, sound players that record what the game asks of them, an answerer
// for the message boxes, and seeds that make the next spin or double-up end
// the way a test needs.
#pragma once

#include "fixed_clock.h"
#include "game_folder.h"
#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/game.h"
#include "vornakka/services.h"
#include "vornakka/slot_machine.h"
#include "vornakka/sound_players.h"

namespace vornakka::test {

// The test's own game folder (the working directory for the test's life),
// with paths and bytes in Qt's types.
class GameFolder : public ScratchGameFolder {
public:
    QString path() const { return QString::fromStdString(ScratchGameFolder::path()); }
    QString file(const QString& name) const { return path() + u'/' + name; }

    QByteArray readBytes(const QString& name) const;
    std::int32_t jackpotOnDisk() const;
    // Puts a folder with a file in it where the named file was, so that
    // saving the file fails with "File access denied" (root included); and
    // takes it away again.
    void blockFile(const QString& name) const;
    void unblockFile(const QString& name) const;
};


// Sound players that record every call as "open:Voitto", "play:Welcome",
// "stop:Koss"; opening a chosen cue can be made to fail.
class RecordingPlayers final : public SoundPlayers {
public:
    void open(SoundCue cue) override;
    void play(SoundCue cue) override { calls.push_back(std::string("play:") + soundCueName(cue)); }
    void stop(SoundCue cue) override { calls.push_back(std::string("stop:") + soundCueName(cue)); }

    std::vector<std::string> opened() const;  // cue names in opening order
    int count(const std::string& call) const;

    std::vector<std::string> calls;
    std::optional<SoundCue> failOpen;
};

// Answers message boxes while it lives: each box is recorded (caption, text,
// icon, buttons, and which other windows took input while it was up), kept
// up for holdMs, then closed with its OK button.
class BoxAnswerer : public QObject {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QStringList buttons;
        QStringList enabledWindows;   // object names of the visible windows that took input
        QStringList disabledWindows;  // and of those that did not
        int boxesUp = 0;              // message boxes on screen at the same time
        QString owner;                // object name of the window the box belongs to, if any
    };

    explicit BoxAnswerer(int holdMs = 0);
    // Leaves the boxes from now on to others; what was seen stays.
    void stop() { timer_.stop(); }
    std::vector<Box> boxes;
    int mostBoxesAtOnce = 0;
    // Runs just before a box is closed.
    std::function<void()> beforeClose;

private:
    void poll();
    QTimer timer_;
    int holdMs_;
    QMessageBox* current_ = nullptr;
    std::chrono::steady_clock::time_point since_;
};

// Runs the event loop until done() or the time is up; returns done().
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 8000);
void pump(int ms);

// A seed for the random source that makes the next spin, from the machine's
// present reel positions and holds, stop on a line for which want() holds.
std::uint32_t seedForSpin(const MachineState& state, const std::function<bool(char, char, char)>& want);
// A seed that makes the next double-up stop with the given face in the middle.
std::uint32_t seedForGamble(const MachineState& state, char middleFace);

template <class T = QWidget>
T* control(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) ADD_FAILURE() << "no control " << name << " in " << window.objectName().toStdString();
    return found;
}

// The machine window's timers: Timer2 moves the reels, Timer1 beats the
// double-up.
inline QTimer& reelTimer(QWidget& machineWindow) { return *control<QTimer>(machineWindow, "Timer2"); }
inline QTimer& gambleTimer(QWidget& machineWindow) { return *control<QTimer>(machineWindow, "Timer1"); }

// Whether a message box is on screen.
bool aBoxIsUp();

inline QString labelText(QWidget& window, const char* name) {
    QLabel* label = control<QLabel>(window, name);
    return label != nullptr ? label->text() : QString();
}

// Waits until the window itself is the active window. (QTest's wait counts
// a window as active while the window it belongs to is.)
bool waitForActive(QWidget* window, int timeoutMs = 8000);

// Types the text into the widget key by key, Finnish letters included.
void typeText(QWidget* widget, const QString& text);

// Clicks a push button with the mouse.
void click(QWidget& window, const char* button);

// The game with its windows, run in the test's own folder.
class GameTest : public ::testing::Test {
protected:
    static const std::vector<std::pair<std::string, std::int32_t>> kList;

    GameTest();
    ~GameTest() override;

    // Builds the game, answering the boxes of its start-up (startUpBoxes),
    // and shows the machine window.
    void start();
    TForm1& machineWindow();
    const MachineState& state() { return game->machine().state(); }

    // Presses KÄYNNISTÄ with a seed chosen for the line and waits for the
    // reels to stop.
    void spinTo(const std::function<bool(char, char, char)>& want);
    void waitForReels();

    GameFolder folder;
    FixedClock clock{TimeOfDay{12, 0, 0, 0}};
    RandomSource random;  // the game's generator: a test reseeds it to choose a spin
    RecordingPlayers players;
    std::unique_ptr<BoxAnswerer> startUpBoxes;
    std::unique_ptr<Game> game;
};

}  // namespace vornakka::test
