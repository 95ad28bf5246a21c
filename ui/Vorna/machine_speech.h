// What a screen reader hears from the machine window. The window passes on
// what the machine shows; this says each result once, when it is final (the
// reels have stopped, a guess is decided, a win is taken), never the letters
// that pass while the reels turn. It also tells each button what a press does
// in the machine's present condition, and gives the counters and the paytable
// their spoken names.
#pragma once

#include <QObject>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <array>

#include "common/screen_reader.h"
#include "vornakka/services.h"

namespace vornakka {

class SlotMachine;
struct ShownPaytableLine;

class MachineSpeech : public QObject {
    Q_OBJECT
public:
    // The nine buttons in tab order: PANOS, KÄYNNISTÄ, the three LUKITSE,
    // VOITONMAKSU, HYMY, DEPRESSIO, TUPLAUS.
    MachineSpeech(QWidget* window, const std::array<QPushButton*, 9>& buttons);

    void attach(const SlotMachine& machine) { machine_ = &machine; }

    // What the machine showed, as the window passed it on. The counters and
    // the paytable's amount boxes are named here with their captions.
    void reelTimer(bool on);
    void message(const QString& text);
    void counters(const Counters& counters);
    void holdLamp(int reel, bool lit);
    void gameEnded();

    // Spoken names of the counters and of the paytable's display rows.
    static QString counterName(const char* caption, std::int32_t value);
    static QString paytableLineName(const ShownPaytableLine& shown);
    // The descriptions of the buttons, for the machine as it stands.
    static QString buttonDescription(std::size_t button, const SlotMachine& machine);

private:
    QWidget* control(const char* name) const;
    void queueSettle();
    void settle();  // runs once the machine's operation has ended

    QWidget* window_;
    Announcer* announcer_;
    std::array<QPushButton*, 9> buttons_;
    const SlotMachine* machine_ = nullptr;
    bool spinning_ = false;
    bool spinEnded_ = false;
    bool ended_ = false;
    bool queued_ = false;
    QStringList messages_;  // shown since the last result was said
    Counters last_{};
    bool haveCounters_ = false;
    bool moneyChanged_ = false;
    bool betChanged_ = false;
    std::array<bool, 3> held_{};  // as the lamps show it
};

}  // namespace vornakka
