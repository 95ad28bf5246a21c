#include "Vorna/machine_speech.h"

#include <QMetaObject>
#include <iterator>

#include "common/controls.h"
#include "vornakka/slot_machine.h"
#include "vornakka/strips.h"

namespace vornakka {

namespace {

// Controls a screen reader passes over: the counters' captions, which the
// counters say with their numbers, the paytable's pattern pieces, which the
// amount box of their row says as one line, and the two pointers.
const char* const kSpokenByAnother[] = {"Label5",  "Label8",  "Label9",  "Label13", "Label19", "Label1",
                                        "Label2",  "Label3",  "Label4",  "Label6",  "Label7",  "Label10",
                                        "Label11", "Label12", "Label14", "Label15", "Label16", "Label17",
                                        "Label20", "Label21", "Label22", "Label23", "Label24", "Label25",
                                        "Label26", "Label27", "Label28", "Label29", "Label30", "Label34",
                                        "Label35"};

// The counters, by the caption each is spoken with.
struct Counter {
    const char* control;
    const char* caption;
};
const Counter kCounters[] = {
    {"Pano", "PANOS"}, {"Rahat", "PELIT"}, {"Voitto", "VOITOT"}, {"ViimVoit", "VIIM. VOITTO"}, {"JackPot", "MORVAKKA"}};

// A paytable row's pattern as the player reads it: "-" any symbol.
QString patternSaid(int row) {
    QString said;
    for (char c : kPaytable[static_cast<std::size_t>(row - 1)].pattern) said += QLatin1Char(c == '?' ? '-' : c);
    return said;
}

std::int32_t valueOf(const Counters& c, std::size_t counter) {
    const std::int32_t values[] = {c.bet, c.credits, c.winnings, c.lastWin, c.jackpot};
    return values[counter];
}

QString symbolWord(char symbol) {
    return symbol == '*' ? QStringLiteral("tähti") : QString(QChar::fromLatin1(symbol));
}

QString reelsSaid(const MachineState& s) {
    return QStringLiteral("%1, %2, %3.")
        .arg(symbolWord(s.shownSymbol[0]), symbolWord(s.shownSymbol[1]), symbolWord(s.shownSymbol[2]));
}

QString moneySaid(const MachineState& s) {
    return QStringLiteral("PELIT %1, VOITOT %2.").arg(s.credits).arg(s.winnings);
}

const QString kNotNow = QStringLiteral("ei toimi nyt");

}  // namespace

MachineSpeech::MachineSpeech(QWidget* window, const std::array<QPushButton*, 9>& buttons)
    : QObject(window), window_(window), announcer_(new Announcer(window)), buttons_(buttons) {
    for (const char* piece : kSpokenByAnother) hideFromScreenReader(control(piece));
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        ButtonSpeech speech;
        speech.description = [this, i] {
            return machine_ != nullptr ? buttonDescription(i, *machine_) : QString();
        };
        if (i >= 2 && i <= 4) {
            const std::size_t reel = i - 2;
            buttons_[i]->setAccessibleName(QStringLiteral("LUKITSE rulla %1").arg(reel + 1));
            speech.checked = [this, reel]() -> std::optional<bool> {
                return machine_ != nullptr && machine_->state().held[reel];
            };
        }
        if (auto* button = qobject_cast<SpeakingButton*>(buttons_[i])) button->setSpeech(std::move(speech));
    }
}

QString MachineSpeech::counterName(const char* caption, std::int32_t value) {
    return QStringLiteral("%1 %2").arg(QString::fromUtf8(caption)).arg(value);
}

QString MachineSpeech::paytableLineName(const ShownPaytableLine& shown) {
    QString line = patternSaid(shown.line.row);
    if (shown.line.alsoRow != 0) line += QStringLiteral(" tai ") + patternSaid(shown.line.alsoRow);
    return QStringLiteral("%1 %2").arg(line).arg(shown.amount);
}

QString MachineSpeech::buttonDescription(std::size_t button, const SlotMachine& machine) {
    const Offer o = machine.offer();
    const MachineState& s = machine.state();
    switch (button) {
        case 0:
            return o.changeBet ? QStringLiteral("vaihtaa panoksen, nyt %1").arg(s.bet) : kNotNow;
        case 1:
            return o.spin ? QStringLiteral("pyöräyttää rullat, panos %1").arg(s.bet) : kNotNow;
        case 2:
        case 3:
        case 4:
            return machine.mayHold(static_cast<int>(button) - 1) ? QStringLiteral("lukitus sallittu")
                                                                 : QStringLiteral("lukitus ei sallittu nyt");
        case 5:
            if (o.takeWin) return QStringLiteral("ottaa voiton %1 mk").arg(o.win);
            return o.endGame ? QStringLiteral("lopettaa pelin, voitot %1 mk").arg(s.winnings) : kNotNow;
        case 6:
            return o.guess ? QStringLiteral("arvaa hymy") : kNotNow;
        case 7:
            return o.guess ? QStringLiteral("arvaa depressio") : kNotNow;
        case 8:
            return o.doubleUp ? QStringLiteral("tuplaa voiton %1 mk").arg(o.win) : kNotNow;
        default:
            return QString();
    }
}

// ------------------------------------------------- what the machine showed

void MachineSpeech::reelTimer(bool on) {
    if (on) {
        spinning_ = true;
        return;
    }
    if (!spinning_) return;
    spinning_ = false;
    spinEnded_ = true;
    queueSettle();
}

void MachineSpeech::message(const QString& text) {
    if (text.isEmpty()) return;
    if (messages_.isEmpty() || messages_.back() != text) messages_ << text;
    if (!spinning_) queueSettle();
}

QWidget* MachineSpeech::control(const char* name) const {
    return window_->findChild<QWidget*>(QString::fromLatin1(name));
}

void MachineSpeech::counters(const Counters& c) {
    for (std::size_t i = 0; i < std::size(kCounters); ++i) {
        setSpokenName(control(kCounters[i].control), counterName(kCounters[i].caption, valueOf(c, i)));
    }
    for (const ShownPaytableLine& shown : SlotMachine::paytableAt(c.bet)) {
        const QByteArray box = QStringLiteral("Voit%1").arg(shown.line.box).toLatin1();
        setSpokenName(control(box.constData()), paytableLineName(shown));
    }
    if (haveCounters_) {
        moneyChanged_ = moneyChanged_ || c.credits != last_.credits || c.winnings != last_.winnings;
        betChanged_ = betChanged_ || c.bet != last_.bet;
    }
    last_ = c;
    haveCounters_ = true;
    if (!spinning_ && (moneyChanged_ || betChanged_)) queueSettle();
}

void MachineSpeech::holdLamp(int reel, bool lit) {
    if (reel < 1 || reel > 3) return;
    const auto i = static_cast<std::size_t>(reel - 1);
    if (held_[i] == lit) return;
    held_[i] = lit;
    checkedChanged(buttons_[i + 2]);
}

void MachineSpeech::gameEnded() {
    ended_ = true;
    queueSettle();
}

void MachineSpeech::queueSettle() {
    if (queued_) return;
    queued_ = true;
    QMetaObject::invokeMethod(this, &MachineSpeech::settle, Qt::QueuedConnection);
}

void MachineSpeech::settle() {
    queued_ = false;
    if (spinning_ || machine_ == nullptr) return;  // the reels were started again meanwhile
    const MachineState& s = machine_->state();
    QStringList said;
    if (spinEnded_) {
        said << reelsSaid(s);
        if (machine_->showsJackpotLine()) said << "MORVAKKA!";
    }
    said << messages_;
    if (ended_) {
        if (!spinEnded_ && messages_.isEmpty()) {
            said << QStringLiteral("Peli loppui, voitot %1 mk.").arg(s.finalScore);
        } else {
            said << QStringLiteral("Peli loppui.");
        }
    } else if (spinEnded_ || !messages_.isEmpty() || moneyChanged_) {
        said << moneySaid(s);
    } else if (betChanged_) {
        said << counterName("PANOS", s.bet);
    }
    spinEnded_ = ended_ = moneyChanged_ = betChanged_ = false;
    messages_.clear();
    announcer_->say(said.join(QLatin1Char(' ')));
}

}  // namespace vornakka
