#include "Vorna/machine_speech.h"

#include <QEvent>
#include <QMetaObject>
#include <utility>

#include "Vorna/machine_controls.h"
#include "common/controls.h"
#include "vornakka/cp1252.h"
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

// A paytable row's pattern as the player reads it: "-" any symbol.
QString patternSaid(int row) {
    QString said;
    for (char c : kPaytable[static_cast<std::size_t>(row - 1)].pattern) said += QLatin1Char(c == '?' ? '-' : c);
    return said;
}

QString symbolWord(char symbol) {
    return symbol == '*' ? QStringLiteral("tähti") : QString(QChar::fromLatin1(symbol));
}

QString reelsSaid(const std::array<char, kReelCount>& symbols) {
    return QStringLiteral("%1, %2, %3.").arg(symbolWord(symbols[0]), symbolWord(symbols[1]), symbolWord(symbols[2]));
}

QString moneySaid(const Money& money) {
    return QStringLiteral("PELIT %1, VOITOT %2.").arg(money.credits).arg(money.winnings);
}

// What the machine wrote on its message line, in the words it wrote; nothing
// when it wrote nothing.
QStringList written(std::initializer_list<const Text*> messages) {
    QStringList words;
    for (const Text* message : messages) {
        if (!message->empty()) words << QString::fromStdString(cp1252ToUtf8(*message));
    }
    return words;
}

const QString kNotNow = QStringLiteral("ei toimi nyt");

}  // namespace

MachineSpeech::MachineSpeech(QWidget* window, const std::array<QPushButton*, 9>& buttons)
    : QObject(window), window_(window), announcer_(new Announcer(window)), buttons_(buttons) {
    for (const char* piece : kSpokenByAnother) hideFromScreenReader(control(piece));
    window_->installEventFilter(this);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        ButtonSpeech speech;
        speech.description = [this, i] {
            return machine_ != nullptr ? buttonDescription(i, *machine_) : QString();
        };
        if (i >= 2 && i <= 4) {
            const std::size_t reel = i - 2;
            buttons_[i]->setAccessibleName(QStringLiteral("LUKITSE rulla %1").arg(reel + 1));
            speech.checked = [this, reel]() -> std::optional<bool> {
                return machine_ != nullptr && machine_->held(static_cast<int>(reel) + 1);
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
    const Counters c = machine.counters();
    switch (button) {
        case 0:
            return o.changeBet ? QStringLiteral("vaihtaa panoksen, nyt %1").arg(c.bet) : kNotNow;
        case 1:
            return o.spin ? QStringLiteral("pyöräyttää rullat, panos %1").arg(c.bet) : kNotNow;
        case 2:
        case 3:
        case 4:
            return machine.mayHold(static_cast<int>(button) - 1) ? QStringLiteral("lukitus sallittu")
                                                                 : QStringLiteral("lukitus ei sallittu nyt");
        case 5:
            if (o.takeWin) return QStringLiteral("ottaa voiton %1 mk").arg(o.win);
            return o.endGame ? QStringLiteral("lopettaa pelin, voitot %1 mk").arg(c.winnings) : kNotNow;
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

// ------------------------------------------------------ what the window shows

QWidget* MachineSpeech::control(const char* name) const {
    return window_->findChild<QWidget*>(QString::fromLatin1(name));
}

void MachineSpeech::counters(const Counters& c) {
    for (const machine_window::CounterControl& counter : machine_window::kCounterControls) {
        setSpokenName(control(counter.name), counterName(counter.caption, c.*counter.value));
    }
    for (const ShownPaytableLine& shown : SlotMachine::paytableAt(c.bet)) {
        const QByteArray box = QStringLiteral("Voit%1").arg(shown.line.box).toLatin1();
        setSpokenName(control(box.constData()), paytableLineName(shown));
    }
}

void MachineSpeech::holdLamp(int reel, bool lit) {
    if (reel < 1 || reel > 3) return;
    const auto i = static_cast<std::size_t>(reel - 1);
    if (held_[i] == lit) return;
    held_[i] = lit;
    checkedChanged(buttons_[i + 2]);
}

// ------------------------------------------------- what the machine reports

void MachineSpeech::say(const QString& words) {
    if (window_->isVisible()) {
        announcer_->say(words);
    } else {
        unheard_ = words;
    }
}

bool MachineSpeech::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Show && !unheard_.isEmpty()) {
        // The Show event comes before the window is on the screen; a reader
        // hears of it once showing it has finished.
        QMetaObject::invokeMethod(
            this, [this] { announcer_->say(std::exchange(unheard_, {})); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void MachineSpeech::sayResult(QStringList words, const Money& money, bool endsGame) {
    if (endsGame) {
        endingWords_ = std::move(words);
        return;
    }
    words << moneySaid(money);
    say(words.join(QLatin1Char(' ')));
}

void MachineSpeech::startedUp(const Text& message, const Money& money) {
    sayResult(written({&message}), money, false);
}

void MachineSpeech::betChanged(std::int32_t bet) { say(counterName("PANOS", bet)); }

void MachineSpeech::spinStopped(const SpinResult& result) {
    QStringList words{reelsSaid(result.symbols)};
    if (result.jackpot) words << QStringLiteral("MORVAKKA!");
    words << written({&result.message, &result.payout.message});
    sayResult(words, result.money, result.endsGame);
}

void MachineSpeech::doubleUpStarted(const DoubleUpStart& start) {
    sayResult(written({&start.message}), start.money, false);
}

void MachineSpeech::guessDecided(const GuessResult& result) {
    sayResult(written({&result.message, &result.payout.message}), result.money, result.endsGame);
}

void MachineSpeech::winCollected(std::int32_t, const Money& money) { sayResult({}, money, false); }

void MachineSpeech::gameEnded(const GameEnd& end) {
    if (end.how == GameEnding::CashedOut) {
        say(QStringLiteral("Peli loppui, voitot %1 mk.").arg(end.score));
        return;
    }
    QStringList words = std::exchange(endingWords_, {});
    words << QStringLiteral("Peli loppui.");
    say(words.join(QLatin1Char(' ')));
}

}  // namespace vornakka
