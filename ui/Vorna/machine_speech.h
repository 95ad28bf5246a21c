// What a screen reader hears from the machine window. The machine reports
// each result once, when it is final (the reels have stopped, a guess is
// decided, a win is taken, the game is over), and this says it at once, in
// the player's words; the letters that pass while the reels turn are never
// said. It also tells each button what a press does in the machine's present
// condition, and gives the counters and the paytable their spoken names.
#pragma once

#include <QObject>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <array>

#include "common/screen_reader.h"
#include "vornakka/machine_events.h"

namespace vornakka {

class SlotMachine;
struct ShownPaytableLine;

class MachineSpeech : public QObject, public MachineEvents {
    Q_OBJECT
public:
    // The nine buttons in tab order: PANOS, KÄYNNISTÄ, the three LUKITSE,
    // VOITONMAKSU, HYMY, DEPRESSIO, TUPLAUS.
    MachineSpeech(QWidget* window, const std::array<QPushButton*, 9>& buttons);

    void attach(const SlotMachine& machine) { machine_ = &machine; }

    // What the window shows, as it passed it on: the counters and the
    // paytable's amount boxes are named with their captions, and a hold
    // lamp's change is the change of its button's check.
    void counters(const Counters& counters);
    void holdLamp(int reel, bool lit);

    // MachineEvents.
    void startedUp(const Text& message, const Money& money) override;
    void betChanged(std::int32_t bet) override;
    void spinStopped(const SpinResult& result) override;
    void doubleUpStarted(const DoubleUpStart& start) override;
    void guessDecided(const GuessResult& result) override;
    void winCollected(std::int32_t amount, const Money& money) override;
    void gameEnded(const GameEnd& end) override;

    // Spoken names of the counters and of the paytable's display rows.
    static QString counterName(const char* caption, std::int32_t value);
    static QString paytableLineName(const ShownPaytableLine& shown);
    // The descriptions of the buttons, for the machine as it stands.
    static QString buttonDescription(std::size_t button, const SlotMachine& machine);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* control(const char* name) const;
    // Says the words now, or, before the window has first been shown (the
    // greeting of start-up), once it shows: no reader hears a window that
    // is not there.
    void say(const QString& words);
    // Says a result: its words, then the money, or, when the result ended
    // the game, keeps the words for the end of the game.
    void sayResult(QStringList words, const Money& money, bool endsGame);

    QWidget* window_;
    Announcer* announcer_;
    std::array<QPushButton*, 9> buttons_;
    const SlotMachine* machine_ = nullptr;
    QStringList endingWords_;     // the result that took the last money
    QString unheard_;             // said before the window showed
    std::array<bool, 3> held_{};  // as the lamps show it
};

}  // namespace vornakka
