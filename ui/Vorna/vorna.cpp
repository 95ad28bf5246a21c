#include "Vorna/vorna.h"

#include "Vorna/machine_controls.h"

#include <QCloseEvent>
#include <algorithm>
#include <optional>
#include <vector>

#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "shell/event_boundary.h"
#include "shell/start_up_error.h"
#include "vornakka/cp1252.h"
#include "vornakka/slot_machine.h"
#include "vornakka/sound_players.h"
#include "vornakka/strips.h"

namespace vornakka {

namespace {

using namespace machine_window;

QString fromCp1252(const Text& text) { return QString::fromStdString(cp1252ToUtf8(text)); }

// What a screen reader says for the controls whose meaning is a picture or a
// colour: the reel and its letter, the face, the reel and its hold.
QString reelName(int reel, const QString& letter) { return QStringLiteral("rulla %1: %2").arg(reel).arg(letter); }

QString faceName(char face) {
    switch (face) {
        case kSmile:
            return QStringLiteral("hymy");
        case kNeutral:
            return QStringLiteral("neutraali");
        case kFrown:
            return QStringLiteral("suru");
        default:
            return QString();
    }
}

QString lampName(int reel, bool lit) {
    return lit ? QStringLiteral("rulla %1 lukittu").arg(reel) : QStringLiteral("rulla %1 vapaa").arg(reel);
}

// Names the line or face the player reads beside its caption (a counter is
// described by its caption).
struct Described {
    const char* control;
    const char* description;  // UTF-8
};
const Described kDescriptions[] = {
    {"Teksrutu", "viestirivi"},
    {"Tupyla", "ylin kasvo"},
    {"Tupkesk", "keskimmäinen kasvo"},
    {"Tupala", "alin kasvo"},
};

}  // namespace

TForm1::TForm1(Forms& forms, EventBoundary& boundary, SoundPlayers& sounds)
    : FormWindow("Form1", Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint,
                 QStringLiteral("Vornakka"), QSize(kClientWidth, kClientHeight), colours::navy, kWindowFont),
      forms_(forms),
      boundary_(boundary),
      sounds_(sounds) {
    setFixedSize(kClientWidth, kClientHeight);

    std::vector<QPushButton*> buttons;
    for (const Control& c : kControls) {
        const QRect box(c.left, c.top, c.width, c.height);
        const QString caption = QString::fromUtf8(c.caption);
        const LabelStyle style{c.font, c.text, c.fill, c.alignment, c.autoSize, c.maxWidth};
        switch (c.kind) {
            case Kind::Label:
                new Label(this, c.name, box, caption, style);
                break;
            case Kind::Face:
                new FaceLabel(this, c.name, box, caption, style);
                break;
            case Kind::Panel:
                new Lamp(this, c.name, box, *c.fill);
                break;
            case Kind::Button:
                buttons.push_back(addButton(c.name, box, caption, c.font,
                                            c.text == kWindowTextColour ? std::nullopt : std::optional(c.text)));
                break;
        }
    }
    keepLookWhenDisabled();

    const auto label = [this](const char* name) { return findChild<Label*>(QString::fromLatin1(name)); };
    reels_ = {label("Kirj1"), label("Kirj2"), label("Kirj3")};
    for (Label* reel : reels_) reel->keepLooks();
    pano_ = label("Pano");
    rahat_ = label("Rahat");
    voitto_ = label("Voitto");
    viimVoit_ = label("ViimVoit");
    jackPot_ = label("JackPot");
    for (std::size_t i = 0; i < amounts_.size(); ++i) {
        amounts_[i] = label(QStringLiteral("Voit%1").arg(i + 1).toLatin1().constData());
    }
    teksrutu_ = label("Teksrutu");
    tupyla_ = findChild<FaceLabel*>(QStringLiteral("Tupyla"));
    tupkesk_ = findChild<FaceLabel*>(QStringLiteral("Tupkesk"));
    tupala_ = findChild<FaceLabel*>(QStringLiteral("Tupala"));
    lamps_ = {findChild<Lamp*>(QStringLiteral("Panel1")), findChild<Lamp*>(QStringLiteral("Panel2")),
              findChild<Lamp*>(QStringLiteral("Panel3"))};
    for (int reel = 1; reel <= 3; ++reel) {
        const auto i = static_cast<std::size_t>(reel - 1);
        setSpokenName(reels_[i], reelName(reel, reels_[i]->text()));
        setSpokenName(lamps_[i], lampName(reel, false));
    }
    for (FaceLabel* face : {tupyla_, tupkesk_, tupala_}) {
        setSpokenName(face, faceName(face->text().toLatin1().at(0)));
    }
    const auto describe = [this](const char* control, const char* description) {
        findChild<QWidget*>(QString::fromLatin1(control))->setAccessibleDescription(QString::fromUtf8(description));
    };
    for (const CounterControl& counter : kCounterControls) describe(counter.name, counter.caption);
    for (const Described& d : kDescriptions) describe(d.control, d.description);

    // Buttons: PANOS, KÄYNNISTÄ, the three LUKITSE, then VOITONMAKSU, HYMY,
    // DEPRESSIO and TUPLAUS. That is also the tab order.
    void (TForm1::*handlers[])() = {&TForm1::Button1Click, &TForm1::Button2Click, &TForm1::Button3Click,
                                    &TForm1::Button4Click, &TForm1::Button5Click, &TForm1::Button6Click,
                                    &TForm1::Button7Click, &TForm1::Button8Click, &TForm1::Button9Click};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        connect(buttons[i], &QPushButton::clicked, this, handlers[i]);
        if (i > 0) setTabOrder(buttons[i - 1], buttons[i]);
    }
    std::array<QPushButton*, 9> spoken{};
    std::copy_n(buttons.begin(), spoken.size(), spoken.begin());
    speech_ = new MachineSpeech(this, spoken);
    // KÄYNNISTÄ is both the default and the cancel button: Escape starts a
    // spin wherever the focus is, Return does when no button has the focus.
    setDefaultButton(buttons[1]);
    setCancelButton(buttons[1]);

    for (SoundCue cue : kMachineCues) openPlayer(sounds_, cue);

    timer2_.setObjectName(QStringLiteral("Timer2"));
    timer2_.setTimerType(Qt::PreciseTimer);
    timer2_.setInterval(kReelInterval);
    connect(&timer2_, &QTimer::timeout, this, &TForm1::Ropelli);
    // The reel timer starts switched off: the machine switches it on with the
    // first spin. (Left running, an interrupted start-up would spin the reels
    // by themselves.)

    timer1_.setObjectName(QStringLiteral("Timer1"));
    // Precise, so that it keeps the beat it started on: a coarse timer
    // drifts towards the system's round wake-up times (up to 5 % a tick),
    // and one woken from a sleep could then come back up to half a period
    // off the beat the always-running timer would have had.
    timer1_.setTimerType(Qt::PreciseTimer);
    timer1_.setInterval(kGambleInterval);
    connect(&timer1_, &QTimer::timeout, this, &TForm1::Tupsu);
    // Its beat starts with the window; it runs while a guess needs its ticks.
    gambleBeat_ = std::chrono::steady_clock::now();
}

void TForm1::attach(SlotMachine& machine) {
    machine_ = &machine;
    speech_->attach(machine);
}

void TForm1::FormCreate() {
    if (machine_ == nullptr) return;
    const bool started = boundary_.run([this] { machine_->startUp(); });
    updateGambleTimer();
    if (started) return;
    // A missing or broken data file stopped the start-up. The machine holds a
    // fresh game all the same (50 credits, bet 1, the faces at their start);
    // show that game rather than the captions the window was built with.
    showCounters(machine_->counters());
    const std::array<char, 3> faces = machine_->faces();
    showFaces(faces[0], faces[1], faces[2]);
}

// -------------------------------------------------------------- MachineView

void TForm1::showReel(int reel, char symbol, Colour colour) {
    if (reel < 1 || reel > 3) return;
    Label* label = reels_[static_cast<std::size_t>(reel - 1)];
    const QString letter = fromCp1252(Text(1, symbol));
    label->setCaption(letter);
    label->setTextColour(colour);
    setSpokenName(label, reelName(reel, letter));
}

void TForm1::showCounters(const Counters& counters) {
    pano_->setCaption(QString::number(counters.bet));
    rahat_->setCaption(QString::number(counters.credits));
    voitto_->setCaption(QString::number(counters.winnings));
    viimVoit_->setCaption(QString::number(counters.lastWin));
    jackPot_->setCaption(QString::number(counters.jackpot));
    for (std::size_t i = 0; i < amounts_.size(); ++i) {
        amounts_[i]->setCaption(QString::number(counters.amounts[i]));
    }
    speech_->counters(counters);
}

void TForm1::showMessage(const Text& text) {
    teksrutu_->setCaption(fromCp1252(text));
}

void TForm1::showFaces(char top, char middle, char bottom) {
    tupyla_->setCaption(fromCp1252(Text(1, top)));
    tupkesk_->setCaption(fromCp1252(Text(1, middle)));
    tupala_->setCaption(fromCp1252(Text(1, bottom)));
    setSpokenName(tupyla_, faceName(top));
    setSpokenName(tupkesk_, faceName(middle));
    setSpokenName(tupala_, faceName(bottom));
}

void TForm1::setHoldLamp(int reel, bool lit) {
    if (reel < 1 || reel > 3) return;
    Lamp* lamp = lamps_[static_cast<std::size_t>(reel - 1)];
    lamp->setFill(lit ? colours::red : colours::black);
    setSpokenName(lamp, lampName(reel, lit));
    speech_->holdLamp(reel, lit);
}

void TForm1::setReelTimer(bool enabled) {
    if (enabled == timer2_.isActive()) return;
    if (enabled) {
        timer2_.start();
    } else {
        timer2_.stop();
    }
}

// The machine has reported the end of the game before it opens either window,
// and the speech has said it.
void TForm1::openHighScores() {
    setWindowEnabled(false);
    afterSaying(this, [this] {
        if (forms_.form2 != nullptr) forms_.form2->showWindow();
    });
}

void TForm1::openNameEntry(std::int32_t score) {
    if (forms_.form3 != nullptr) forms_.form3->open(score);
    setWindowEnabled(false);
    afterSaying(this, [this] {
        if (forms_.form3 != nullptr) forms_.form3->showWindow();
    });
}

// ----------------------------------------------------------------- handlers

void TForm1::press(void (*operation)(SlotMachine&)) {
    if (machine_ == nullptr) return;
    boundary_.run([this, operation] { operation(*machine_); });
    updateGambleTimer();
}

void TForm1::updateGambleTimer() {
    if (closed_ || machine_ == nullptr) return;
    const bool needed = machine_->gambleNeedsTicks();
    if (needed == timer1_.isActive()) return;
    if (!needed) {
        timer1_.stop();
        return;
    }
    // Back on the beat: the first tick comes when the timer would have
    // ticked had it never stopped, the later ones every 50 ms from there.
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                             gambleBeat_);
    timer1_.start(kGambleInterval - static_cast<int>(since.count() % kGambleInterval));
}

void TForm1::Button1Click() { press([](SlotMachine& m) { m.pressBet(); }); }
void TForm1::Button2Click() { press([](SlotMachine& m) { m.pressStart(); }); }
void TForm1::Button3Click() { press([](SlotMachine& m) { m.pressHold(1); }); }
void TForm1::Button4Click() { press([](SlotMachine& m) { m.pressHold(2); }); }
void TForm1::Button5Click() { press([](SlotMachine& m) { m.pressHold(3); }); }
void TForm1::Button6Click() { press([](SlotMachine& m) { m.pressCollect(); }); }
void TForm1::Button7Click() { press([](SlotMachine& m) { m.pressSmile(); }); }
void TForm1::Button8Click() { press([](SlotMachine& m) { m.pressFrown(); }); }
void TForm1::Button9Click() { press([](SlotMachine& m) { m.pressDouble(); }); }

void TForm1::Ropelli() { press([](SlotMachine& m) { m.reelTick(); }); }

void TForm1::Tupsu() {
    // The first tick after a wake-up may have come after a part of a period.
    if (timer1_.interval() != kGambleInterval) timer1_.setInterval(kGambleInterval);
    if (machine_ == nullptr) return;
    boundary_.run([this] { machine_->gambleTick(); });
    updateGambleTimer();
}

void TForm1::closeRequested(QCloseEvent* event) {
    // However the request arrives (the high-score window's Exit, the task
    // bar), closing the machine window ends the game. Nothing is saved.
    event->accept();
    closed_ = true;
    timer2_.stop();
    timer1_.stop();
    emit closed();
}

}  // namespace vornakka
