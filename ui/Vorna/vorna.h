// The machine window: the three reels, the counters, the paytable, the
// jackpot, the message line, the hold lamps, the double-up face column and
// the nine buttons. It holds no game state: every press and every timer tick
// goes to the slot machine, and the machine writes everything the player sees
// through MachineView.
#pragma once

#include <QTimer>
#include <array>
#include <chrono>

#include "Vorna/faces_and_lamps.h"
#include "common/form_window.h"
#include "Vorna/machine_speech.h"
#include "shell/forms.h"
#include "vornakka/services.h"

namespace vornakka {

class EventBoundary;
class SlotMachine;
class SoundPlayers;

class TForm1 final : public FormWindow, public MachineView {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 749;
    static constexpr int kClientHeight = 515;
    static constexpr int kReelInterval = 10;    // ms, Timer2
    static constexpr int kGambleInterval = 50;  // ms, Timer1

    // Builds the controls and opens the window's ten sound players, Voitto
    // first and Welcome last. A player that cannot be opened throws
    // WindowBuildError.
    TForm1(Forms& forms, EventBoundary& boundary, SoundPlayers& sounds);

    // What a screen reader hears: the machine reports its results there.
    MachineEvents& speech() { return *speech_; }
    // The machine the buttons and timers drive; set before FormCreate.
    void attach(SlotMachine& machine);

    // The creation handler: the machine's start-up. When a data file stops
    // the start-up half-way, the window shows the fresh game the machine
    // holds, so that the counters on screen are the ones it plays with.
    void FormCreate();

    // MachineView.
    void showReel(int reel, char symbol, Colour colour) override;
    void showCounters(const Counters& counters) override;
    void showMessage(const Text& text) override;
    void showFaces(char top, char middle, char bottom) override;
    void setHoldLamp(int reel, bool lit) override;
    void setReelTimer(bool enabled) override;
    void openHighScores() override;
    void openNameEntry(std::int32_t score) override;

    // The button handlers.
    void Button1Click();  // PANOS
    void Button2Click();  // KÄYNNISTÄ
    void Button3Click();  // LUKITSE, reel 1
    void Button4Click();  // LUKITSE, reel 2
    void Button5Click();  // LUKITSE, reel 3
    void Button6Click();  // VOITONMAKSU
    void Button7Click();  // HYMY
    void Button8Click();  // DEPRESSIO
    void Button9Click();  // TUPLAUS

    // The timer handlers: Timer2 every 10 ms while the reels spin, Timer1
    // every 50 ms while a tick can change something: a double-up guess is
    // running, or its game-over save waits to be tried again. Otherwise
    // Timer1 sleeps, and wakes on the same 50 ms beat it has kept since the
    // window was built, so that no tick moves.
    void Ropelli();
    void Tupsu();

signals:
    // The window has closed: the program ends.
    void closed();

protected:
    void closeRequested(QCloseEvent* event) override;

private:
    // Runs one core operation inside the failure boundary.
    void press(void (*operation)(SlotMachine&));
    // Starts or stops Timer1 as its ticks are needed or not.
    void updateGambleTimer();

    Forms& forms_;
    EventBoundary& boundary_;
    SoundPlayers& sounds_;
    SlotMachine* machine_ = nullptr;

    std::array<Label*, 3> reels_{};
    Label* pano_ = nullptr;
    Label* rahat_ = nullptr;
    Label* voitto_ = nullptr;
    Label* viimVoit_ = nullptr;
    Label* jackPot_ = nullptr;
    std::array<Label*, 8> amounts_{};  // Voit1 .. Voit8
    Label* teksrutu_ = nullptr;
    FaceLabel* tupyla_ = nullptr;
    FaceLabel* tupkesk_ = nullptr;
    FaceLabel* tupala_ = nullptr;
    std::array<Lamp*, 3> lamps_{};
    MachineSpeech* speech_ = nullptr;  // what a screen reader hears
    // Children of the window, found by their names as its controls are.
    QTimer timer2_{this};
    QTimer timer1_{this};
    std::chrono::steady_clock::time_point gambleBeat_;  // the origin of Timer1's beat
    bool closed_ = false;
};

}  // namespace vornakka
