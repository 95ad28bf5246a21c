#include "Vorna/vorna.h"

#include <QCloseEvent>
#include <algorithm>
#include <optional>
#include <vector>

#include "Highscore/highscore.h"
#include "Nimi/nimi.h"
#include "shell/event_boundary.h"
#include "shell/sound_players.h"
#include "shell/start_up_error.h"
#include "vornakka/cp1252.h"
#include "vornakka/slot_machine.h"
#include "vornakka/strips.h"

namespace vornakka {

namespace {

using namespace colours;

enum class Kind { Label, Face, Button, Panel };

// One control of the window, in creation order. Creation order is painting
// order: where labels overlap, the later one is drawn on top.
struct Control {
    const char* name;
    Kind kind;
    int left, top, width, height;
    const char* caption;  // UTF-8
    FontDesc font;
    Colour text;
    std::optional<Colour> fill;  // none: transparent
    Qt::Alignment alignment;
    bool autoSize;
    int maxWidth = 0;
};

constexpr FontDesc kReelFont{"Verdana", 96, true};
constexpr FontDesc kCounterFont{"Courier", 20, true};
constexpr FontDesc kSmallFont{"Comic Sans MS", 13, true};
constexpr FontDesc kCaptionFont{"Comic Sans MS", 21, true};
constexpr FontDesc kJackpotFont{"Arial", 24, true};
constexpr FontDesc kTitleFont{"Arial", 64, true, true, true};
constexpr FontDesc kPointerFont{"Arial", 64, true};
constexpr FontDesc kFaceFont{"Wingdings", 96, true};
constexpr FontDesc kCreditFont{"Arial", 16, true};
constexpr FontDesc kButtonFont{"MS Sans Serif", 11, true};
constexpr FontDesc kWindowFont{"MS Sans Serif", 11};

constexpr Colour kText = kWindowTextColour;
constexpr std::optional<Colour> kClear = std::nullopt;
constexpr Qt::Alignment L = Qt::AlignLeft;
constexpr Qt::Alignment C = Qt::AlignHCenter;
constexpr Qt::Alignment R = Qt::AlignRight;

// The title reaches no further right than this, where the paytable begins;
// at 64 pixels "VORNAKKA" would be 370 pixels wide and hide the paytable's
// left column, so it is drawn as large as fits instead.
constexpr int kTitleWidth = 314;

constexpr const char* kCreditLine = "Vornakka-tiimi 2026";

// clang-format off
const Control kControls[] = {
    {"Kirj1",    Kind::Label, 32, 232, 97, 111, "A", kReelFont, blue, white, C, false},
    {"Kirj2",    Kind::Label, 144, 232, 97, 111, "A", kReelFont, blue, white, C, false},
    {"Kirj3",    Kind::Label, 256, 232, 97, 111, "A", kReelFont, blue, white, C, false},
    {"Pano",     Kind::Label, 224, 136, 57, 25, "1", kCounterFont, red, black, R, false},
    {"Label5",   Kind::Label, 232, 112, 47, 19, "PANOS", kSmallFont, lime, navy, L, true},
    {"Voitto",   Kind::Label, 152, 136, 73, 25, "1", kCounterFont, red, black, R, false},
    {"Rahat",    Kind::Label, 280, 136, 57, 25, "30", kCounterFont, red, black, R, false},
    {"Label8",   Kind::Label, 168, 112, 54, 19, "VOITOT", kSmallFont, lime, navy, L, true},
    {"Label9",   Kind::Label, 296, 112, 38, 19, "PELIT", kSmallFont, lime, navy, L, true},
    {"Label1",   Kind::Label, 368, 120, 17, 17, "CC", kSmallFont, red, kClear, L, false},
    {"Label2",   Kind::Label, 368, 40, 33, 19, "BBB", kSmallFont, kText, kClear, L, false},
    {"Label3",   Kind::Label, 368, 24, 33, 19, "AAA", kSmallFont, kText, kClear, L, false},
    {"Voit3",    Kind::Label, 400, 72, 57, 17, "8", kCounterFont, red, black, C, false},
    {"Voit2",    Kind::Label, 400, 40, 57, 17, "10", kCounterFont, red, black, C, false},
    {"Voit1",    Kind::Label, 400, 24, 57, 17, "20", kCounterFont, red, black, C, false},
    {"Label4",   Kind::Label, 456, 120, 17, 17, "C", kSmallFont, red, kClear, R, false},
    {"Voit4",    Kind::Label, 400, 120, 57, 17, "4", kCounterFont, red, black, C, false},
    {"Label7",   Kind::Label, 368, 72, 33, 19, "CCC", kSmallFont, red, kClear, L, false},
    {"Label10",  Kind::Label, 456, 72, 33, 19, "CCC", kSmallFont, red, kClear, R, false},
    {"Label11",  Kind::Label, 456, 40, 33, 19, "BBB", kSmallFont, kText, kClear, R, false},
    {"Label12",  Kind::Label, 456, 24, 33, 19, "AAA", kSmallFont, kText, kClear, R, false},
    {"ViimVoit", Kind::Label, 56, 136, 97, 25, "1", kCounterFont, red, black, R, false},
    {"Label13",  Kind::Label, 56, 112, 100, 19, "VIIM. VOITTO", kSmallFont, lime, navy, L, true},
    {"Voit5",    Kind::Label, 400, 136, 57, 17, "2", kCounterFont, red, black, C, false},
    {"Label14",  Kind::Label, 480, 136, 9, 17, "D", kSmallFont, red, kClear, C, false},
    {"Label15",  Kind::Label, 368, 136, 8, 17, "C", kSmallFont, red, kClear, C, false},
    {"Label16",  Kind::Label, 368, 88, 33, 19, "FFF", kSmallFont, green, kClear, L, false},
    {"Label17",  Kind::Label, 368, 56, 33, 19, "EEE", kSmallFont, purple, kClear, L, false},
    {"Voit8",    Kind::Label, 400, 104, 57, 17, "6", kCounterFont, red, black, C, false},
    {"Voit7",    Kind::Label, 400, 88, 57, 17, "6", kCounterFont, red, black, C, false},
    {"Voit6",    Kind::Label, 400, 56, 57, 17, "15", kCounterFont, red, black, C, false},
    {"Label23",  Kind::Label, 368, 104, 33, 19, "GGG", kSmallFont, olive, kClear, L, false},
    {"Label24",  Kind::Label, 456, 104, 25, 19, "GG", kSmallFont, olive, kClear, C, false},
    {"Label25",  Kind::Label, 456, 88, 25, 19, "FF", kSmallFont, green, kClear, C, false},
    {"Label26",  Kind::Label, 456, 56, 25, 19, "EE", kSmallFont, purple, kClear, C, false},
    {"JackPot",  Kind::Label, 528, 88, 169, 33, "0", kJackpotFont, lime, black, C, false},
    {"Label19",  Kind::Label, 512, 56, 209, 30, "MORVAKKA", kCaptionFont, yellow, kClear, C, true},
    {"Label18",  Kind::Label, 24, 16, 314, 74, "VORNAKKA", kTitleFont, purple, navy, L, true, kTitleWidth},
    {"Label20",  Kind::Label, 456, 136, 25, 17, "--", kSmallFont, kText, kClear, R, false},
    {"Label22",  Kind::Label, 480, 120, 9, 17, "D", kSmallFont, red, kClear, C, false},
    {"Label27",  Kind::Label, 472, 120, 8, 17, "-", kSmallFont, kText, kClear, C, false},
    {"Label28",  Kind::Label, 384, 120, 17, 17, "-", kSmallFont, kText, kClear, L, false},
    {"Label29",  Kind::Label, 376, 136, 25, 17, "--", kSmallFont, kText, kClear, L, false},
    {"Label6",   Kind::Label, 480, 56, 7, 19, "*", kSmallFont, yellow, kClear, C, false},
    {"Label21",  Kind::Label, 480, 88, 7, 19, "*", kSmallFont, yellow, kClear, C, false},
    {"Label30",  Kind::Label, 480, 104, 7, 19, "*", kSmallFont, yellow, kClear, C, false},
    {"Tupkesk",  Kind::Face, 576, 248, 83, 81, "K", kFaceFont, red, white, C | Qt::AlignVCenter, false},
    {"Tupala",   Kind::Face, 576, 328, 83, 57, "L", kFaceFont, red, white, C | Qt::AlignTop, false},
    {"Tupyla",   Kind::Face, 576, 192, 83, 57, "J", kFaceFont, red, white, C | Qt::AlignBottom, false},
    {"Label34",  Kind::Label, 528, 248, 37, 75, ">", kPointerFont, lime, navy, L, true},
    {"Label35",  Kind::Label, 664, 248, 37, 75, "<", kPointerFont, lime, navy, L, true},
    {"Teksrutu", Kind::Label, 32, 192, 433, 25, "", kCounterFont, red, black, C, false},
    {"Label31",  Kind::Label, 584, 488, 159, 19, kCreditLine, kCreditFont, lime, navy, L, true},
    {"Button1",  Kind::Button, 368, 368, 97, 49, "PANOS", kButtonFont, kText, kClear, L, false},
    {"Button2",  Kind::Button, 480, 440, 97, 49, "KÄYNNISTÄ", kButtonFont, green, kClear, L, false},
    {"Button3",  Kind::Button, 32, 368, 97, 49, "LUKITSE", kButtonFont, black, kClear, L, false},
    {"Button4",  Kind::Button, 144, 368, 97, 49, "LUKITSE", kButtonFont, kText, kClear, L, false},
    {"Button5",  Kind::Button, 256, 368, 97, 49, "LUKITSE", kButtonFont, kText, kClear, L, false},
    {"Panel1",   Kind::Panel, 32, 344, 97, 9, "", kWindowFont, kText, black, L, false},
    {"Panel2",   Kind::Panel, 144, 344, 97, 9, "", kWindowFont, kText, black, L, false},
    {"Panel3",   Kind::Panel, 256, 344, 97, 9, "", kWindowFont, kText, black, L, false},
    {"Button6",  Kind::Button, 32, 440, 97, 49, "VOITONMAKSU", kButtonFont, kText, kClear, L, false},
    {"Button7",  Kind::Button, 256, 440, 97, 49, "HYMY", kButtonFont, kText, kClear, L, false},
    {"Button8",  Kind::Button, 144, 440, 97, 49, "DEPRESSIO", kButtonFont, kText, kClear, L, false},
    {"Button9",  Kind::Button, 368, 440, 97, 49, "TUPLAUS", kButtonFont, kText, kClear, L, false},
};
// clang-format on

// The window's ten players, opened in this order while it is built.
constexpr SoundCue kMachineCues[] = {SoundCue::Voitto, SoundCue::Havio,       SoundCue::Kaynnistys,
                                     SoundCue::Lukitus, SoundCue::Voitonmaksu, SoundCue::Koss,
                                     SoundCue::Tuplaus, SoundCue::Ruplaus,     SoundCue::VYlos,
                                     SoundCue::Welcome};

QString fromCp1252(const Text& text) { return QString::fromStdString(cp1252ToUtf8(text)); }

// What a screen reader says for the controls whose meaning is a picture or a
// colour: the reel and its letter, the face, the reel and its hold.
QString reelName(int reel, const QString& letter) { return QStringLiteral("rulla %1: %2").arg(reel).arg(letter); }

QString faceName(char face) {
    switch (face) {
        case 'J':
            return QStringLiteral("hymy");
        case 'K':
            return QStringLiteral("neutraali");
        case 'L':
            return QStringLiteral("suru");
        default:
            return QString();
    }
}

QString lampName(int reel, bool lit) {
    return lit ? QStringLiteral("rulla %1 lukittu").arg(reel) : QStringLiteral("rulla %1 vapaa").arg(reel);
}

// Names the counter or line the player reads beside its caption.
struct Described {
    const char* control;
    const char* description;  // UTF-8
};
const Described kDescriptions[] = {
    {"Pano", "PANOS"},
    {"Rahat", "PELIT"},
    {"Voitto", "VOITOT"},
    {"ViimVoit", "VIIM. VOITTO"},
    {"JackPot", "MORVAKKA"},
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
    for (const Described& d : kDescriptions) {
        findChild<QWidget*>(QString::fromLatin1(d.control))->setAccessibleDescription(QString::fromUtf8(d.description));
    }

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
    timer1_.setInterval(kGambleInterval);
    connect(&timer1_, &QTimer::timeout, this, &TForm1::Tupsu);
    timer1_.start();
    gambleBeat_ = std::chrono::steady_clock::now();
    // A sound played from any window wakes the timer for the idle checks.
    sounds_.setPlayHandler([this] {
        soundsAwake_ = true;
        updateGambleTimer();
    });
}

TForm1::~TForm1() { sounds_.setPlayHandler(nullptr); }

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
    machine_->refreshCounters();
    const MachineState& s = machine_->state();
    showFaces(kFaceStrip.at(s.facePos[0]), kFaceStrip.at(s.facePos[1]), kFaceStrip.at(s.facePos[2]));
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
    speech_->message(teksrutu_->text());
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
    speech_->reelTimer(enabled);
    if (enabled == timer2_.isActive()) return;
    if (enabled) {
        timer2_.start();
    } else {
        timer2_.stop();
    }
}

void TForm1::openHighScores() {
    speech_->gameEnded();
    setWindowEnabled(false);
    if (forms_.form2 != nullptr) forms_.form2->showWindow();
}

void TForm1::openNameEntry(std::int32_t score) {
    speech_->gameEnded();
    if (forms_.form3 != nullptr) forms_.form3->open(score);
    setWindowEnabled(false);
    if (forms_.form3 != nullptr) forms_.form3->showWindow();
}

// ----------------------------------------------------------------- handlers

void TForm1::press(void (*operation)(SlotMachine&)) {
    if (machine_ == nullptr) return;
    boundary_.run([this, operation] { operation(*machine_); });
    updateGambleTimer();
}

void TForm1::updateGambleTimer() {
    if (closed_ || machine_ == nullptr) return;
    // gambleTick changes nothing unless a guess is running; the idle check
    // nothing once the players sleep.
    const std::uint8_t choice = machine_->state().gambleChoice;
    const bool needed = choice == 1 || choice == 2 || soundsAwake_;
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
    boundary_.run([this] {
        machine_->gambleTick();
        soundsAwake_ = sounds_.idleCheck();
    });
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
